#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/outlook/session.h"
#include "sim/outlook/win32/sim_object.h"

namespace voxtrel::olsim::win32 {

// The add-ins Outlook loads at start-up, as it loads them: every key under
// Software\Microsoft\Office\Outlook\Addins of HKCU and of HKLM whose LoadBehavior is 3 (a
// user's key with a LoadBehavior wins over the machine's of the same name), made from its ProgID
// and called through IDTExtensibility2's vtable, or through Invoke when `throughInvoke`. Their
// folders (where each trace log lies) go to `folders`. Null when none is registered; a failure
// to make one goes to `err` and leaves it out, as Outlook does.
std::unique_ptr<AddIn> LoadAddIns(const Face& face, bool throughInvoke,
                                  std::vector<std::string>& folders, std::ostream& err);

}  // namespace voxtrel::olsim::win32
