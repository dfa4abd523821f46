#pragma once

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <optional>

#include "outlook/subscription.h"
#include "win32/com/com_ptr.h"

namespace voxtrel::win32::outlook {

using com::ComPtr;

// One event of a host's event dispinterface.
struct EventId {
  IID diid;
  // The Outlook 2002 interface with the same event, where there is one.
  std::optional<IID> diid10;
  DISPID dispid;
  const wchar_t* name;
};

// Runs for each delivery with the arguments as Invoke received them; it may throw.
using EventHandler = std::function<void(DISPPARAMS& arguments)>;

// Advises a sink for `event` on the host object's connection point (the plain interface's,
// else the Outlook 2002 one's); the subscription unadvises it. Throws voxtrel::Error when the
// host offers neither.
voxtrel::outlook::Subscription Subscribe(IDispatch& source, const EventId& event,
                                         EventHandler handler);

// Arguments of a delivery, counted in declaration order from 0.
ComPtr<IDispatch> ObjectArgument(const DISPPARAMS& arguments, UINT position);
// A by-reference Boolean the handler may set; null when the host passed it by value.
VARIANT_BOOL* BoolReference(const DISPPARAMS& arguments, UINT position);

}  // namespace voxtrel::win32::outlook
