#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outlook/subscription.h"

// The members of Office's command bar object model that the add-in uses. Calls that the host
// refuses throw voxtrel::Error with the host's number and description.
namespace voxtrel::outlook {

inline constexpr std::int32_t kControlButton = 1;         // msoControlButton
inline constexpr std::int32_t kControlComboBox = 4;       // msoControlComboBox
inline constexpr std::int32_t kBarTop = 1;                // msoBarTop
inline constexpr std::int32_t kButtonIconAndCaption = 3;  // msoButtonIconAndCaption
inline constexpr std::int32_t kComboLabel = 1;            // msoComboLabel

class IButton {
 public:
  virtual ~IButton() = default;
  virtual std::string Caption() = 0;
  virtual void Caption(const std::string& value) = 0;
  virtual void Style(std::int32_t value) = 0;
  virtual bool Visible() = 0;
  virtual void Visible(bool value) = 0;
  virtual void ToolTipText(const std::string& value) = 0;
  // Office raises a Click on every control that shares the clicked one's tag, in every window.
  virtual void Tag(const std::string& value) = 0;
  virtual std::int32_t Width() = 0;
  virtual std::int32_t Top() = 0;
  // Takes the face from the clipboard (called by name on the host).
  virtual void PasteFace() = 0;
  // The face's picture and its mask (white shows the bar through), each a packed DIB; Office
  // XP and later. Set the picture first: it is what the mask applies to.
  virtual void Picture(const std::vector<std::uint8_t>& packedDib) = 0;
  virtual void Mask(const std::vector<std::uint8_t>& packedDib) = 0;
  // Click(Ctrl, CancelDefault): the handler may set CancelDefault.
  using ClickHandler = std::function<void(bool& CancelDefault)>;
  virtual Subscription SubscribeClick(ClickHandler handler) = 0;
};

class IComboBox {
 public:
  virtual ~IComboBox() = default;
  virtual void Caption(const std::string& value) = 0;
  virtual void Style(std::int32_t value) = 0;
  virtual bool Visible() = 0;
  virtual void Visible(bool value) = 0;
  virtual void Tag(const std::string& value) = 0;
  virtual void Clear() = 0;
  virtual void AddItem(const std::string& text) = 0;
  virtual std::int32_t ListCount() = 0;
  // From 1; 0 for none. Setting it selects the entry.
  virtual std::int32_t ListIndex() = 0;
  virtual void ListIndex(std::int32_t value) = 0;
};

// Any control of a bar, as the bar's collection hands it out.
class IControl {
 public:
  virtual ~IControl() = default;
  virtual bool Visible() = 0;
  virtual std::int32_t Width() = 0;
  virtual std::int32_t Top() = 0;
};

// A bar's controls, walked in the bar's order from 1; Add appends, with the parameter text and
// every other argument omitted.
class IControls {
 public:
  virtual ~IControls() = default;
  virtual std::shared_ptr<IButton> AddButton(const std::string& parameter) = 0;
  virtual std::shared_ptr<IComboBox> AddComboBox(const std::string& parameter) = 0;
  virtual std::int32_t Count() = 0;
  virtual std::shared_ptr<IControl> Item(std::int32_t index) = 0;
};

class ICommandBar {
 public:
  virtual ~ICommandBar() = default;
  virtual std::string Name() = 0;
  virtual std::shared_ptr<IControls> Controls() = 0;
  virtual void Position(std::int32_t value) = 0;
  virtual bool Visible() = 0;
  virtual void Visible(bool value) = 0;
  // Removes the bar from its window.
  virtual void Delete() = 0;
};

// A window's bars, walked in the collection's order from 1.
class ICommandBars {
 public:
  virtual ~ICommandBars() = default;
  virtual std::int32_t Count() = 0;
  virtual std::shared_ptr<ICommandBar> Item(std::int32_t index) = 0;
  // Add(Name, Position, MenuBar omitted, Temporary).
  virtual std::shared_ptr<ICommandBar> Add(const std::string& name, std::int32_t position,
                                           bool temporary) = 0;
};

}  // namespace voxtrel::outlook
