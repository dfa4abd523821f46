#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace voxtrel::olsim {

// The face a button shows for a pasted picture and mask (both packed DIBs): the picture with
// the mask's white pixels transparent; without a mask, all of it. Named after the add-in's
// face it matches ("record"), else a short hash of its pixels; none for a picture that is not
// a DIB.
std::optional<std::string> FaceIdentity(const platform::Bytes& picture,
                                        const platform::Bytes* mask);

// A face as a button shows it, row by row from the top: 0x00RRGGBB, or kClearPixel where the
// bar shows through.
struct FacePixels {
  static constexpr std::uint32_t kClearPixel = 0xFF000000;
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};
std::optional<FacePixels> ShownFacePixels(const platform::Bytes& picture,
                                          const platform::Bytes* mask);

// The same name for a face as shown, transparent pixels as kClearPixel.
std::string FaceIdentity(const FacePixels& shown);

// FNV-1a: a short identity that stays the same from run to run.
std::string ShortHash(const std::string& bytes);

}  // namespace voxtrel::olsim
