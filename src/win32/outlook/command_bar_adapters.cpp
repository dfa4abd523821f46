#include <windows.h>

#include <olectl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "win32/base/unique_handle.h"
#include "win32/outlook/adapters.h"
#include "win32/outlook/event_sink.h"
#include "win32/outlook/late_bound.h"
#include "win32/platform/win32_drawing.h"

namespace voxtrel::win32::outlook {
namespace {

namespace ports = voxtrel::outlook;

// _CommandBarButtonEvents: Click(Ctrl, CancelDefault by reference).
const EventId kClick{OutlookIid(0x000C0351), std::nullopt, 1, L"Click"};

// An OLE picture (IPictureDisp) that owns a bitmap made from the packed DIB.
ComPtr<IDispatch> PictureOf(const std::vector<std::uint8_t>& packedDib) {
  constexpr int kInvalidPicture = 481;
  UniqueBitmap bitmap = BitmapOfDib(packedDib, true);
  if (!bitmap) throw voxtrel::Error(kInvalidPicture);
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = bitmap.get();
  ComPtr<IDispatch> picture;
  const HRESULT hr =
      OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void());
  if (FAILED(hr)) throw HostError(hr);
  (void)bitmap.release();  // the picture deletes it with itself
  return picture;
}

class Button final : public ports::IButton {
 public:
  explicit Button(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::string Caption() override { return host_.Text(L"Caption"); }
  void Caption(const std::string& value) override { host_.Put(L"Caption", value); }
  void Style(std::int32_t value) override { host_.Put(L"Style", value); }
  bool Visible() override { return host_.Bool(L"Visible"); }
  void Visible(bool value) override { host_.Put(L"Visible", value); }
  void ToolTipText(const std::string& value) override { host_.Put(L"ToolTipText", value); }
  void Tag(const std::string& value) override { host_.Put(L"Tag", value); }
  std::int32_t Width() override { return host_.Int(L"Width"); }
  std::int32_t Top() override { return host_.Int(L"Top"); }
  void PasteFace() override { host_.Call(L"PasteFace"); }
  void Picture(const std::vector<std::uint8_t>& packedDib) override {
    host_.PutObject(L"Picture", PictureOf(packedDib));
  }
  void Mask(const std::vector<std::uint8_t>& packedDib) override {
    host_.PutObject(L"Mask", PictureOf(packedDib));
  }
  ports::Subscription SubscribeClick(ClickHandler handler) override {
    return Subscribe(host_.object(), kClick, [handler](DISPPARAMS& arguments) {
      VARIANT_BOOL* cancelDefault = BoolReference(arguments, 1);
      bool cancel = cancelDefault != nullptr && *cancelDefault != VARIANT_FALSE;
      handler(cancel);
      if (cancelDefault != nullptr) *cancelDefault = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    });
  }

 private:
  LateBound host_;
};

class ComboBox final : public ports::IComboBox {
 public:
  explicit ComboBox(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  void Caption(const std::string& value) override { host_.Put(L"Caption", value); }
  void Style(std::int32_t value) override { host_.Put(L"Style", value); }
  bool Visible() override { return host_.Bool(L"Visible"); }
  void Visible(bool value) override { host_.Put(L"Visible", value); }
  void Tag(const std::string& value) override { host_.Put(L"Tag", value); }
  void Clear() override { host_.Call(L"Clear"); }
  void AddItem(const std::string& text) override { host_.Call(L"AddItem", {text}); }
  std::int32_t ListCount() override { return host_.Int(L"ListCount"); }
  std::int32_t ListIndex() override { return host_.Int(L"ListIndex"); }
  void ListIndex(std::int32_t value) override { host_.Put(L"ListIndex", value); }

 private:
  LateBound host_;
};

class Control final : public ports::IControl {
 public:
  explicit Control(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  bool Visible() override { return host_.Bool(L"Visible"); }
  std::int32_t Width() override { return host_.Int(L"Width"); }
  std::int32_t Top() override { return host_.Int(L"Top"); }

 private:
  LateBound host_;
};

template <typename Port>
std::shared_ptr<Port> Wrap(ComPtr<IDispatch> object) {
  if (!object) return nullptr;
  return std::make_shared<Port>(std::move(object));
}

// Controls.Add(Type, Id, Parameter, Before, Temporary): appended, Id and the rest left out.
class Controls final : public ports::IControls {
 public:
  explicit Controls(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::shared_ptr<ports::IButton> AddButton(const std::string& parameter) override {
    return Wrap<Button>(host_.Object(L"Add", {ports::kControlButton, kOmitted, parameter}));
  }
  std::shared_ptr<ports::IComboBox> AddComboBox(const std::string& parameter) override {
    return Wrap<ComboBox>(host_.Object(L"Add", {ports::kControlComboBox, kOmitted, parameter}));
  }
  std::int32_t Count() override { return host_.Int(L"Count"); }
  std::shared_ptr<ports::IControl> Item(std::int32_t index) override {
    return Wrap<Control>(host_.Object(L"Item", {index}));
  }

 private:
  LateBound host_;
};

class CommandBar final : public ports::ICommandBar {
 public:
  explicit CommandBar(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::string Name() override { return host_.Text(L"Name"); }
  std::shared_ptr<ports::IControls> Controls() override {
    return Wrap<outlook::Controls>(host_.Object(L"Controls"));
  }
  void Position(std::int32_t value) override { host_.Put(L"Position", value); }
  bool Visible() override { return host_.Bool(L"Visible"); }
  void Visible(bool value) override { host_.Put(L"Visible", value); }
  void Delete() override { host_.Call(L"Delete"); }

 private:
  LateBound host_;
};

class CommandBars final : public ports::ICommandBars {
 public:
  explicit CommandBars(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::int32_t Count() override { return host_.Int(L"Count"); }
  std::shared_ptr<ports::ICommandBar> Item(std::int32_t index) override {
    return Wrap<CommandBar>(host_.Object(L"Item", {index}));
  }
  // Add(Name, Position, MenuBar, Temporary) with MenuBar left out.
  std::shared_ptr<ports::ICommandBar> Add(const std::string& name, std::int32_t position,
                                          bool temporary) override {
    return Wrap<CommandBar>(host_.Object(L"Add", {name, position, kOmitted, temporary}));
  }

 private:
  LateBound host_;
};

}  // namespace

std::shared_ptr<ports::ICommandBars> WrapCommandBars(ComPtr<IDispatch> bars) {
  return Wrap<CommandBars>(std::move(bars));
}

}  // namespace voxtrel::win32::outlook
