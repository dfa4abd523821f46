#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <optional>

#include "outlook/ribbon.h"
#include "ribbon/ribbon_window.h"
#include "win32/com/com_ptr.h"

// The Ribbon's objects as the add-in meets them under Windows: IRibbonUI and IRibbonControl,
// called late bound, and the images Office shows.
namespace voxtrel::win32::outlook {

std::shared_ptr<voxtrel::outlook::IRibbonUI> WrapRibbonUI(com::ComPtr<IDispatch> ribbon);
// The control's Id and its Context's identity (the inspector or explorer).
voxtrel::outlook::RibbonControl ReadRibbonControl(IDispatch& control);
// An IPictureDisp of the face, 32 bits a pixel with its transparent pixels clear, as the Ribbon
// takes images.
com::ComPtr<IDispatch> MakeRibbonImage(const ribbon::Image& image);

}  // namespace voxtrel::win32::outlook
