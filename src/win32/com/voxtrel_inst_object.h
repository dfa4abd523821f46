#pragma once

#include <windows.h>

#include <ocidl.h>

#include <memory>
#include <optional>

#include "automation/voxtrel_inst.h"
#include "common/event.h"
#include "voxtrel_idl.h"
#include "win32/com/automation_error.h"
#include "win32/com/com_object.h"
#include "win32/com/dispatch_connection_point.h"
#include "win32/com/type_library.h"

namespace voxtrel::win32::com {

// The COM face of the scriptable recorder: _VoxtrelInst (dual, dispatched through the type
// library), error info, the __VoxtrelInst event source and class info. It owns one core
// VoxtrelInst and nothing throws out of it.
class VoxtrelInstObject final
    : public ComObject<VoxtrelInstObject, WithBases<_VoxtrelInst, IDispatch>, ISupportErrorInfo,
                       IConnectionPointContainer,
                       WithBases<IProvideClassInfo2, IProvideClassInfo>> {
 public:
  // A new object answering `iid`; fails with the file error when no trace log can be made.
  static HRESULT Create(REFIID iid, void** out) noexcept;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  HRESULT STDMETHODCALLTYPE put_fileName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_fileName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE recordMp3(BSTR* sID3Tag) override;
  HRESULT STDMETHODCALLTYPE playMp3() override;
  HRESULT STDMETHODCALLTYPE pauseMP3() override;

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override;

 private:
  friend ComObject;
  VoxtrelInstObject(std::shared_ptr<voxtrel::VoxtrelInst> core, RecorderTypeInfos infos);
  ~VoxtrelInstObject();

  template <typename Body>
  HRESULT CallCore(Body&& body) noexcept;
  void RaiseFinishedPlaying() noexcept;
  void ReleaseCore() noexcept;

  std::shared_ptr<voxtrel::VoxtrelInst> core_;
  RecorderTypeInfos infos_;
  DispatchConnectionPoint finishedPlaying_;
  Event<>::Connection coreEvents_;
  // How deep the core is on the stack raising an event to this object's sinks.
  int raising_ = 0;
  // The failure of the call running inside Invoke, for the EXCEPINFO.
  std::optional<AutomationError> lastError_;
};

}  // namespace voxtrel::win32::com
