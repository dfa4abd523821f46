#include "sim/outlook/faces.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "sim/pictures/dib.h"
#include "sim/pictures/embedded_faces.h"

namespace voxtrel::olsim {
namespace {

constexpr std::uint32_t kTransparent = FacePixels::kClearPixel;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// What the button shows, pixel by pixel from the top: a colour or transparent.
using Shown = std::vector<std::uint32_t>;

Shown ShownFace(const sim::Dib& picture, const sim::Dib* mask) {
  Shown shown;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const bool clear =
          mask && x < mask->width && y < mask->height && mask->ColourAt(x, y) == kWhite;
      shown.push_back(clear ? kTransparent : picture.ColourAt(x, y));
    }
  }
  return shown;
}

// The add-in's faces as they should show: every pure white pixel transparent.
const std::vector<std::pair<std::string, Shown>>& KnownFaces() {
  static const auto known = [] {
    std::vector<std::pair<std::string, Shown>> faces;
    for (const sim::EmbeddedFace& face : sim::EmbeddedFaces()) {
      const auto dib = sim::ParseDib(sim::PackedDibOfBmpFile(face.bmp));
      if (!dib) continue;
      Shown shown = ShownFace(*dib, nullptr);
      for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == kWhite) shown[i] = kTransparent;
      }
      faces.emplace_back(face.name, std::move(shown));
    }
    return faces;
  }();
  return known;
}

}  // namespace

std::optional<std::string> FaceIdentity(const platform::Bytes& picture,
                                        const platform::Bytes* mask) {
  const auto dib = sim::ParseDib(picture);
  if (!dib) return std::nullopt;
  const auto maskDib = mask ? sim::ParseDib(*mask) : std::nullopt;
  return FaceIdentity(
      FacePixels{dib->width, dib->height, ShownFace(*dib, maskDib ? &*maskDib : nullptr)});
}

std::string FaceIdentity(const FacePixels& shown) {
  for (const auto& [name, known] : KnownFaces()) {
    if (known == shown.pixels) return name;
  }
  std::string bytes;
  bytes += std::to_string(shown.width) + "x" + std::to_string(shown.height);
  for (const std::uint32_t pixel : shown.pixels) {
    bytes.append(reinterpret_cast<const char*>(&pixel), 4);
  }
  return ShortHash(bytes);
}

std::optional<FacePixels> ShownFacePixels(const platform::Bytes& picture,
                                          const platform::Bytes* mask) {
  const auto dib = sim::ParseDib(picture);
  if (!dib) return std::nullopt;
  const auto maskDib = mask ? sim::ParseDib(*mask) : std::nullopt;
  return FacePixels{dib->width, dib->height, ShownFace(*dib, maskDib ? &*maskDib : nullptr)};
}

std::string ShortHash(const std::string& bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char text[9];
  std::snprintf(text, sizeof text, "%08x", hash);
  return text;
}

}  // namespace voxtrel::olsim
