#include <array>
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
// Office XP added a button's Picture and Mask; Office 2000 offers PasteFace alone.
constexpr int kFirstOfficeWithPictureProperties = 10;

// Through the clipboard, the only way Office 2000 offers: every format of the user's goes back
// afterwards, whatever failed, and the face itself is marked for clipboard history and the
// cloud clipboard to pass by.
void PasteFaceThroughClipboard(outlook::IButton& ctl, const Picture& face) {
  const SavedClipboard saved = SaveClipboard();
  try {
    ClearClipboardForFace();
    Clipboard::SetData(face, platform::kCfBitmap);
    modMaskFunctions::CopyPictureWithMask(&face, kTransparentWhite);
    ctl.PasteFace();
  } catch (...) {
    // The failure is what gets traced.
    try {
      RestoreClipboard(saved);
    } catch (...) {
    }
    throw;
  }
  RestoreClipboard(saved);
}

}  // namespace

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
    // A slot that does not exist, or holds no picture, fails before anything is touched.
    if (index < 0 || static_cast<std::size_t>(index) >= picFaces.size()) {
      throw Error(kSubscriptOutOfRange);
    }
    const Picture* face = picFaces[static_cast<std::size_t>(index)].get();
    if (face == nullptr) throw Error(kInvalidPicture);
    if (officeVersion < kFirstOfficeWithPictureProperties) {
      PasteFaceThroughClipboard(ctl, *face);
      return;
    }
    // Office takes the mask to the picture it has: the picture goes first.
    ctl.Picture(face->dib);
    ctl.Mask(modMaskFunctions::MaskDib(face, kTransparentWhite));
  });
}

}  // namespace voxtrel
