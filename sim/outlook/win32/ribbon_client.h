#pragma once

#include <windows.h>

#include <memory>

#include "sim/outlook/ribbon_host.h"
#include "sim/outlook/win32/sim_object.h"

namespace voxtrel::olsim::win32 {

// Office's side of an add-in's Ribbon over COM: IRibbonExtensibility through its vtable (or
// through Invoke, as `throughInvoke` asks), the callbacks by name through its IDispatch with an
// IRibbonControl whose Context is the window's Inspector or Explorer, and an IRibbonUI whose
// InvalidateControl reaches the model. Null when the add-in has no IRibbonExtensibility.
std::unique_ptr<RibbonAddIn> MakeRibbonClient(const Face& face, IUnknown& addIn,
                                              bool throughInvoke);

}  // namespace voxtrel::olsim::win32
