#include <optional>
#include <string>

#include "common/error.h"
#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/mod_mask_functions.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr int kSubscriptOutOfRange = 9;
// The face table's bitmap resources by slot; slot 5 has none.
constexpr std::array<int, 8> kFaceResources = {113, 114, 115, 116, 117, 0, 119, 120};

bool HasPicture(std::int16_t kind) {
  return kind >= 2 && kind <= 7;
}

bool HasText(std::int16_t kind) {
  return kind == 1 || kind == 3 || kind == 5 || kind == 7 || kind == 8 || kind == 9;
}

}  // namespace

std::int16_t ClipboardKind() {
  std::int16_t kind = Clipboard::GetFormat(platform::kCfText) ? 1 : 0;
  if (Clipboard::GetFormat(platform::kCfBitmap)) kind += 2;
  if (Clipboard::GetFormat(platform::kCfDib)) kind += 4;
  if (Clipboard::GetFormat(Clipboard::kRichTextFormat)) kind += 8;
  if (Clipboard::GetFormat(platform::kCfHdrop) || Clipboard::GetFormat(platform::kCfEnhMetafile) ||
      Clipboard::GetFormat(Clipboard::kLinkFormat) || Clipboard::GetFormat(platform::kCfPalette)) {
    kind = 10;
  }
  return kind;
}

SavedClipboard SaveClipboard(std::int16_t kind, const Picture* productFace) {
  SavedClipboard saved{kind, std::nullopt, std::nullopt};
  if (kind >= 10) return saved;
  if (HasPicture(kind)) {
    saved.picture = Clipboard::GetData();
    // Our own product face left there is not the user's.
    const bool pictureOnly = kind % 2 == 0;
    if (pictureOnly && saved.picture && productFace && saved.picture->dib == productFace->dib) {
      saved.picture.reset();
    }
  }
  if (HasText(kind)) saved.text = Clipboard::GetText();
  return saved;
}

void RestoreClipboard(const SavedClipboard& saved) {
  if (saved.kind >= 10) return;
  Clipboard::Clear();
  if (saved.picture) Clipboard::SetData(*saved.picture, platform::kCfBitmap);
  if (saved.text) Clipboard::SetText(*saved.text);
}

MailWindow::FaceTable MailWindow::LoadFaces() {
  FaceTable faces;
  platform::IDrawing& gdi = platform::Current().drawing;
  for (std::size_t slot = 0; slot < faces.size(); ++slot) {
    if (kFaceResources[slot] == 0) continue;
    platform::Bytes dib = gdi.LoadBitmapResource(kFaceResources[slot]);
    if (!dib.empty())
      faces[slot] = std::make_shared<const Picture>(Picture{kPictureTypeBitmap, dib});
  }
  return faces;
}

void MailWindow::ChangePicture(outlook::IButton& ctl, std::int16_t index) {
  TraceErrors("MailWindow.ChangePicture} ERROR: ", [&] {
    // A slot that does not exist fails before anything of the user's is touched.
    if (index < 0 || static_cast<std::size_t>(index) >= picFaces.size()) {
      throw Error(kSubscriptOutOfRange);
    }
    const SavedClipboard saved = SaveClipboard(ClipboardKind(), picFaces[0].get());
    try {
      const Picture* face = picFaces[static_cast<std::size_t>(index)].get();
      if (face == nullptr) throw Error(kInvalidPicture);
      Clipboard::SetData(*face, platform::kCfBitmap);
      modMaskFunctions::CopyPictureWithMask(face, kTransparentWhite);
      ctl.PasteFace();
    } catch (...) {
      // The user's content goes back whatever failed; the failure is what gets traced.
      try {
        RestoreClipboard(saved);
      } catch (...) {
      }
      throw;
    }
    RestoreClipboard(saved);
  });
}

}  // namespace voxtrel
