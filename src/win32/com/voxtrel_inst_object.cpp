#include "win32/com/voxtrel_inst_object.h"

#include <windows.h>

#include <olectl.h>

#include <string>
#include <utility>

#include "audio/audio.h"
#include "win32/com/deferred_release.h"
#include "win32/com/optional_bstr_argument.h"
#include "win32/com/snapshot_enumerator.h"
#include "win32/com/thread_platform.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::com {
namespace {

// As published in voxtrel.idl.
constexpr DISPID kFinishedPlaying = 1;
constexpr DISPID kRecordMp3 = 0x60030001;

}  // namespace

HRESULT VoxtrelInstObject::Create(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return ComEntry(IID__VoxtrelInst, [&] {
    EnsureThreadPlatform();
    RecorderTypeInfos infos;
    if (const HRESULT hr = LoadRecorderTypeInfos(infos); FAILED(hr)) return hr;
    return Make(voxtrel::VoxtrelInst::Create(), std::move(infos))->QueryInterface(iid, out);
  });
}

VoxtrelInstObject::VoxtrelInstObject(std::shared_ptr<voxtrel::VoxtrelInst> core,
                                     RecorderTypeInfos infos)
    : core_(std::move(core)),
      infos_(std::move(infos)),
      finishedPlaying_(*this, DIID___VoxtrelInst) {
  coreEvents_ = core_->finishedPlaying.Connect([this] { RaiseFinishedPlaying(); });
}

VoxtrelInstObject::~VoxtrelInstObject() {
  coreEvents_.Disconnect();
  ReleaseCore();
}

void VoxtrelInstObject::RaiseFinishedPlaying() noexcept {
  // A sink may let go of the last reference; the object then dies in Release below, still
  // inside the core's call, and must not take the core with it.
  AddRef();
  ++raising_;
  finishedPlaying_.Fire(kFinishedPlaying);
  if (Release() == 0) return;
  --raising_;
}

void VoxtrelInstObject::ReleaseCore() noexcept {
  try {
    // Still holding the core while its audio object lets go of it, so the core ends when this
    // reference goes, not inside its own call.
    core_->ClientReleased();
  } catch (...) {
    // The core ends anyway when the last reference goes.
  }
  if (raising_ > 0) {
    ReleaseWhenIdle(std::move(core_));
  } else {
    core_.reset();
  }
}

template <typename Body>
HRESULT VoxtrelInstObject::CallCore(Body&& body) noexcept {
  // The core pumps messages; a client may drop its last reference from one of them.
  const ComPtr<VoxtrelInstObject> self(this);
  return ComEntry(
      IID__VoxtrelInst,
      [&] {
        const std::shared_ptr<voxtrel::VoxtrelInst> core = core_;
        body(*core);
      },
      &lastError_);
}

HRESULT VoxtrelInstObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT VoxtrelInstObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return infos_.dispatch.CopyTo(info);
}

HRESULT VoxtrelInstObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                         DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return infos_.dispatch->GetIDsOfNames(names, count, ids);
}

HRESULT VoxtrelInstObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                  VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const ComPtr<VoxtrelInstObject> self(this);
  lastError_.reset();
  OptionalBstrArgument tag(Audio::kDefaultTag);
  DISPPARAMS normalized{};
  if (id == kRecordMp3 && parameters != nullptr && (flags & DISPATCH_METHOD) != 0) {
    if (const HRESULT hr = tag.Normalize(*parameters, normalized); FAILED(hr)) {
      if (argumentError != nullptr) *argumentError = 0;
      return hr;
    }
    parameters = &normalized;
  }
  const HRESULT hr = infos_.vtable->Invoke(static_cast<_VoxtrelInst*>(this), id, flags, parameters,
                                           result, exception, argumentError);
  if (hr == DISP_E_EXCEPTION && exception != nullptr && lastError_) {
    CompleteExcepInfo(*exception, *lastError_);
  }
  return hr;
}

HRESULT VoxtrelInstObject::put_fileName(BSTR value) {
  return CallCore([&](voxtrel::VoxtrelInst& core) { core.fileName(UniqueBstr::ToUtf8(value)); });
}

HRESULT VoxtrelInstObject::get_fileName(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  return CallCore([&](voxtrel::VoxtrelInst& core) {
    *value = UniqueBstr::FromUtf8(core.fileName()).release();
  });
}

HRESULT VoxtrelInstObject::recordMp3(BSTR* sID3Tag) {
  return CallCore([&](voxtrel::VoxtrelInst& core) {
    // Early-bound callers leave the optional argument out with a null pointer.
    core.recordMp3(sID3Tag == nullptr ? std::string(Audio::kDefaultTag)
                                      : UniqueBstr::ToUtf8(*sID3Tag));
  });
}

HRESULT VoxtrelInstObject::playMp3() {
  return CallCore([](voxtrel::VoxtrelInst& core) { core.playMp3(); });
}

HRESULT VoxtrelInstObject::pauseMP3() {
  return CallCore([](voxtrel::VoxtrelInst& core) { core.pauseMP3(); });
}

HRESULT VoxtrelInstObject::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID__VoxtrelInst) ? S_OK : S_FALSE;
}

HRESULT VoxtrelInstObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
  return ComEntry(IID_IConnectionPointContainer, [&] {
    return ConnectionPointEnumerator::Create({ComPtr<IConnectionPoint>(&finishedPlaying_)}, out);
  });
}

HRESULT VoxtrelInstObject::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, DIID___VoxtrelInst)) return CONNECT_E_NOCONNECTION;
  return ComPtr<IConnectionPoint>(&finishedPlaying_).CopyTo(out);
}

HRESULT VoxtrelInstObject::GetClassInfo(ITypeInfo** out) {
  if (out == nullptr) return E_POINTER;
  return infos_.coclass.CopyTo(out);
}

HRESULT VoxtrelInstObject::GetGUID(DWORD kind, GUID* out) {
  if (out == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *out = GUID_NULL;
    return E_INVALIDARG;
  }
  *out = DIID___VoxtrelInst;
  return S_OK;
}

}  // namespace voxtrel::win32::com
