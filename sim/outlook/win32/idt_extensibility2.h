#pragma once

#include <windows.h>

#include <oaidl.h>

#include "win32/com/dt_extensibility2.h"

// What a host needs besides the interface (declared once, beside the add-in that implements it):
// its IID, the connect and disconnect modes Outlook passes, and the dispatch ids.
namespace voxtrel::olsim::win32 {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIidDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// ext_ConnectMode and ext_DisconnectMode.
inline constexpr int kConnectStartup = 1;
inline constexpr int kDisconnectHostShutdown = 0;

// Their DISPIDs, for hosts that call through Invoke.
enum DTExtensibility2Dispid : DISPID {
  kOnConnection = 1,
  kOnDisconnection,
  kOnAddInsUpdate,
  kOnStartupComplete,
  kOnBeginShutdown,
};

using IDTExtensibility2 = voxtrel::win32::com::IDTExtensibility2;

}  // namespace voxtrel::olsim::win32
