#include "sim/outlook/win32/ribbon_client.h"

#include <olectl.h>

#include <string>
#include <utility>

#include "sim/outlook/win32/addin_error.h"
#include "sim/outlook/win32/timings.h"
#include "win32/base/gdi_handles.h"
#include "win32/base/text.h"
#include "win32/com/com_object.h"
#include "win32/com/dispatch_arguments.h"
#include "win32/com/ribbon_extensibility.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::com::ComObject;
using voxtrel::win32::com::DispatchArguments;
using voxtrel::win32::com::ExcepInfo;
using voxtrel::win32::com::IRibbonExtensibility;
using voxtrel::win32::com::UniqueBstr;
using voxtrel::win32::com::UniqueVariant;

// A small IDispatch of Office's own: its members by name, each a function of the arguments.
class NamedDispatch final : public ComObject<NamedDispatch, IDispatch> {
 public:
  using Body = std::function<HRESULT(const DISPPARAMS&, VARIANT*)>;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (std::size_t i = 0; i < members_.size(); ++i) {
      if (CompareStringOrdinal(names[0], -1, members_[i].first.c_str(), -1, TRUE) == CSTR_EQUAL) {
        ids[0] = static_cast<DISPID>(i + 1);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (params == nullptr) return E_POINTER;
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (result != nullptr) VariantInit(result);
    return members_[static_cast<std::size_t>(id - 1)].second(*params, result);
  }

 private:
  friend ComObject;
  explicit NamedDispatch(std::vector<std::pair<std::wstring, Body>> members)
      : members_(std::move(members)) {}
  ~NamedDispatch() = default;

  std::vector<std::pair<std::wstring, Body>> members_;
};

ComPtr<IDispatch> MakeRibbonUI(std::function<void(const std::string&)> invalidate) {
  const auto control = [invalidate](const DISPPARAMS& params, VARIANT*) -> HRESULT {
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    UniqueVariant id;
    if (FAILED(VariantChangeType(id.get(), &params.rgvarg[0], 0, VT_BSTR))) {
      return DISP_E_TYPEMISMATCH;
    }
    invalidate(UniqueBstr::ToUtf8(V_BSTR(id.get())));
    return S_OK;
  };
  const ComPtr<NamedDispatch> ui = NamedDispatch::Make(
      std::vector<std::pair<std::wstring, NamedDispatch::Body>>{{L"InvalidateControl", control}});
  return ComPtr<IDispatch>(ui.get());
}

ComPtr<IDispatch> MakeRibbonControl(std::string id, ComPtr<IDispatch> context) {
  const auto text = [id](const DISPPARAMS&, VARIANT* result) -> HRESULT {
    if (result != nullptr) *result = UniqueVariant::Text(id).release();
    return S_OK;
  };
  const auto window = [context](const DISPPARAMS&, VARIANT* result) -> HRESULT {
    if (result != nullptr) *result = UniqueVariant::Dispatch(context.get()).release();
    return S_OK;
  };
  const auto tag = [](const DISPPARAMS&, VARIANT* result) -> HRESULT {
    if (result != nullptr) *result = UniqueVariant::Text("").release();
    return S_OK;
  };
  const ComPtr<NamedDispatch> control =
      NamedDispatch::Make(std::vector<std::pair<std::wstring, NamedDispatch::Body>>{
          {L"Id", text}, {L"Context", window}, {L"Tag", tag}});
  return ComPtr<IDispatch>(control.get());
}

// An IPictureDisp as the Ribbon shows it: its alpha channel says what is transparent.
FacePixels PixelsOfPicture(IDispatch& picture) {
  const auto ole = ComPtr<IDispatch>(&picture).Query<IPicture>();
  OLE_HANDLE handle = 0;
  if (!ole || FAILED(ole->get_Handle(&handle)) || handle == 0) return {};
  const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(handle));
  BITMAP facts{};
  if (GetObjectW(bitmap, sizeof facts, &facts) == 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = facts.bmWidth;
  info.bmiHeader.biHeight = -facts.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  FacePixels shown{facts.bmWidth, facts.bmHeight, {}};
  shown.pixels.resize(static_cast<std::size_t>(facts.bmWidth) * facts.bmHeight);
  const voxtrel::win32::WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(facts.bmHeight), shown.pixels.data(),
                &info, DIB_RGB_COLORS) == 0) {
    return {};
  }
  for (std::uint32_t& pixel : shown.pixels) {
    pixel = (pixel >> 24) == 0 ? FacePixels::kClearPixel : (pixel & 0x00FFFFFF);
  }
  return shown;
}

RibbonAnswer AnswerOf(const UniqueVariant& result) {
  switch (result.type()) {
    case VT_BSTR:
      return UniqueBstr::ToUtf8(V_BSTR(&*result));
    case VT_BOOL:
      return V_BOOL(&*result) != VARIANT_FALSE;
    case VT_I4:
      return static_cast<std::int32_t>(V_I4(&*result));
    case VT_I2:
      return static_cast<std::int32_t>(V_I2(&*result));
    case VT_DISPATCH:
      if (V_DISPATCH(&*result) != nullptr) return PixelsOfPicture(*V_DISPATCH(&*result));
      return {};
    default:
      return {};
  }
}

class RibbonClient final : public RibbonAddIn {
 public:
  RibbonClient(const Face& face, ComPtr<IRibbonExtensibility> extensibility,
               ComPtr<IDispatch> dispatch, bool throughInvoke)
      : face_(face),
        extensibility_(std::move(extensibility)),
        dispatch_(std::move(dispatch)),
        throughInvoke_(throughInvoke) {}

  std::string GetCustomUI(const std::string& ribbonId) override {
    return face_.timings->Time("GetCustomUI " + ribbonId, [&] {
      if (throughInvoke_) {
        DispatchArguments arguments(UniqueVariant::Text(ribbonId));
        const UniqueVariant xml = Invoke("GetCustomUI", arguments);
        return xml.type() == VT_BSTR ? UniqueBstr::ToUtf8(V_BSTR(&*xml)) : std::string();
      }
      const UniqueBstr id = UniqueBstr::FromUtf8(ribbonId);
      UniqueBstr xml;
      const HRESULT hr = extensibility_->GetCustomUI(id.get(), xml.put());
      if (FAILED(hr)) throw AddInError(hr);
      return xml.ToUtf8();
    });
  }

  // Office looks each callback's name up as it reads the XML: time the add-in spends too.
  bool Answers(const std::string& callback) override {
    return face_.timings->Time("GetIDsOfNames " + callback,
                               [&] { return IdOf(callback).has_value(); });
  }

  void Load(const std::string& callback,
            std::function<void(const std::string&)> invalidate) override {
    const ComPtr<IDispatch> ui = MakeRibbonUI(std::move(invalidate));
    DispatchArguments arguments(UniqueVariant::Dispatch(ui.get()));
    face_.timings->Time("callback " + callback, [&] { Invoke(callback, arguments); });
  }

  RibbonAnswer Call(const RibbonCall& call) override {
    const std::shared_ptr<Model> model = face_.model.lock();
    const bool explorer = model && model->WindowById(call.window).IsExplorer();
    const ComPtr<IDispatch> context =
        MakeObject(face_, explorer ? Kind::kExplorer : Kind::kInspector, call.window);
    const ComPtr<IDispatch> control = MakeRibbonControl(call.control, context);
    DispatchArguments arguments(UniqueVariant::Dispatch(control.get()));
    if (call.index) arguments.Add(UniqueVariant::Int(*call.index));
    if (call.chosen) {
      arguments.Add(UniqueVariant::Text(call.chosen->first));
      arguments.Add(UniqueVariant::Int(call.chosen->second));
    }
    const std::string label = "callback " + call.callback + " for " + call.control + " of " +
                              (model ? model->WindowName(call.window) : std::string("a window"));
    // Reading the answer (an image's pixels) is Office's time, not the add-in's.
    const UniqueVariant result =
        face_.timings->Time(label, [&] { return Invoke(call.callback, arguments); });
    return AnswerOf(result);
  }

 private:
  std::optional<DISPID> IdOf(const std::string& name) {
    std::wstring wide = voxtrel::win32::Utf8ToWide(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
      return std::nullopt;
    }
    return id;
  }

  UniqueVariant Invoke(const std::string& name, DispatchArguments& arguments) {
    const std::optional<DISPID> id = IdOf(name);
    if (!id) throw Error(438);
    UniqueVariant result;
    ExcepInfo exception;
    const HRESULT hr = voxtrel::win32::com::InvokeDispatch(*dispatch_.get(), *id, DISPATCH_METHOD,
                                                           arguments, result.get(), exception);
    if (FAILED(hr)) throw AddInError(hr, &exception);
    return result;
  }

  Face face_;
  ComPtr<IRibbonExtensibility> extensibility_;
  ComPtr<IDispatch> dispatch_;
  bool throughInvoke_;
};

}  // namespace

std::unique_ptr<RibbonAddIn> MakeRibbonClient(const Face& face, IUnknown& addIn,
                                              bool throughInvoke) {
  ComPtr<IRibbonExtensibility> extensibility;
  addIn.QueryInterface(__uuidof(IRibbonExtensibility), extensibility.put_void());
  ComPtr<IDispatch> dispatch;
  addIn.QueryInterface(IID_IDispatch, dispatch.put_void());
  if (!extensibility || !dispatch) return nullptr;
  return std::make_unique<RibbonClient>(face, std::move(extensibility), std::move(dispatch),
                                        throughInvoke);
}

}  // namespace voxtrel::olsim::win32
