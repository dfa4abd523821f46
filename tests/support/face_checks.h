#pragma once

// What the face tests share, natively and under Wine: a button that reads its face off the
// clipboard as Office does, the faces by slot, and the mask check.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "outlook/command_bars.h"
#include "platform/clipboard.h"
#include "sim/pictures/dib.h"

namespace voxtrel::testing_faces {

// Keeps what the clipboard offered when the face was pasted, or the Picture and Mask set.
class PastingButton final : public outlook::IButton {
 public:
  explicit PastingButton(platform::IClipboard& clipboard) : clipboard_(clipboard) {}
  std::string Caption() override { return {}; }
  void Caption(const std::string&) override {}
  void Style(std::int32_t) override {}
  bool Visible() override { return true; }
  void Visible(bool) override {}
  void ToolTipText(const std::string&) override {}
  void Tag(const std::string&) override {}
  std::int32_t Width() override { return 0; }
  std::int32_t Top() override { return 0; }
  void PasteFace() override {
    ++pastes;
    if (fails) throw Error(-2147467259, "Office", "Method 'PasteFace' failed");
    if (!clipboard_.Open()) {
      ADD_FAILURE() << "the clipboard cannot be opened to paste the face";
      return;
    }
    face = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Face"));
    mask = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Mask"));
    clipboard_.Close();
  }
  void Picture(const std::vector<std::uint8_t>& packedDib) override {
    calls.push_back("Picture");
    face = packedDib;
    mask.reset();
  }
  void Mask(const std::vector<std::uint8_t>& packedDib) override {
    calls.push_back("Mask");
    mask = packedDib;
  }
  outlook::Subscription SubscribeClick(ClickHandler) override { return nullptr; }

  int pastes = 0;
  bool fails = false;
  std::optional<platform::Bytes> face, mask;
  std::vector<std::string> calls;  // Picture and Mask, in the order set

 private:
  platform::IClipboard& clipboard_;
};

// Every used slot of the face table and the name the simulated Outlook gives its face.
inline const std::vector<std::pair<std::int16_t, std::string>> kFaces = {
    {0, "product"}, {1, "record"}, {2, "play"},      {3, "stop"},
    {4, "pause"},   {6, "delete"}, {7, "properties"}};

// The mask is white (transparent) exactly where the face is pure white; returns how many pixels
// that is.
inline int ExpectMaskOnPureWhite(const sim::Dib& face, const sim::Dib& mask,
                                 const std::string& name) {
  EXPECT_EQ(mask.bitCount, 1) << name;
  int transparent = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool white = face.ColourAt(x, y) == 0xFFFFFF;
      EXPECT_EQ(mask.ColourAt(x, y) == 0xFFFFFF, white) << name << ' ' << x << ',' << y;
      transparent += white ? 1 : 0;
    }
  }
  return transparent;
}

}  // namespace voxtrel::testing_faces
