#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "outlook/command_bars.h"
#include "outlook/object_model.h"
#include "win32/com/com_ptr.h"

// The ports of Outlook's and Office's object models over the host's own objects, called late
// bound by name. Null objects give null ports.
namespace voxtrel::win32::outlook {

std::shared_ptr<voxtrel::outlook::IApplication> WrapApplication(com::ComPtr<IDispatch> application);
std::shared_ptr<voxtrel::outlook::ICommandBars> WrapCommandBars(com::ComPtr<IDispatch> bars);

// Interfaces of Outlook's type library: {prefix-0000-0000-C000-000000000046}.
constexpr IID OutlookIid(unsigned long prefix) {
  return {prefix, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

}  // namespace voxtrel::win32::outlook
