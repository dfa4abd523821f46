#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "outlook/command_bars.h"
#include "outlook/ribbon.h"
#include "outlook/subscription.h"

// The members of Outlook's object model that the add-in uses. Calls that the host refuses throw
// voxtrel::Error with the host's number and description. Any object Outlook hands out may be
// Nothing (null), and any subscription may be refused (null).
namespace voxtrel::outlook {

inline constexpr std::int32_t kMailItemType = 0;    // olMailItem
inline constexpr std::int32_t kFormatPlain = 1;     // olFormatPlain
inline constexpr std::int32_t kFormatHtml = 2;      // olFormatHTML
inline constexpr std::int32_t kFormatRichText = 3;  // olFormatRichText

class IAttachment {
 public:
  virtual ~IAttachment() = default;
  virtual std::string FileName() = 0;
  // Replaces an existing file.
  virtual void SaveAsFile(const std::string& path) = 0;
};

class IAttachments {
 public:
  virtual ~IAttachments() = default;
  virtual std::int32_t Count() = 0;
  // From 1.
  virtual std::shared_ptr<IAttachment> Item(std::int32_t index) = 0;
  // Add(Source, Type omitted, Position, DisplayName omitted): copies the file at once; position
  // 0 is refused.
  virtual std::shared_ptr<IAttachment> Add(const std::string& source, std::int32_t position) = 0;
  virtual void Remove(std::int32_t index) = 0;
};

class IMailItem {
 public:
  virtual ~IMailItem() = default;
  virtual bool Sent() = 0;
  virtual std::shared_ptr<IAttachments> Attachments() = 0;
  virtual std::string Body() = 0;
  virtual void Body(const std::string& value) = 0;
  // OlBodyFormat (plain 1, HTML 2, rich text 3; 0 while Outlook 2002 has not shown the item);
  // Outlook 2000 has no such member: error 438.
  virtual std::int32_t BodyFormat() = 0;
  // A plain-text message's is empty before Outlook 2003 and HTML made from its text after.
  virtual std::string HTMLBody() = 0;
  virtual void HTMLBody(const std::string& value) = 0;
  virtual std::string BillingInformation() = 0;
  virtual void BillingInformation(const std::string& value) = 0;
  // Raised before the message leaves; body changes made in it are sent.
  using SendHandler = std::function<void(bool& Cancel)>;
  virtual Subscription SubscribeSend(SendHandler handler) = 0;
};

// Any Outlook item: mail, contact, appointment, meeting request, report, task, note, post.
class IItem {
 public:
  virtual ~IItem() = default;
  // The item as a mail item; throws voxtrel::Error 13 "Type mismatch" for any other kind.
  virtual std::shared_ptr<IMailItem> AsMailItem() = 0;
  // Whether the item supports the mail item interface.
  virtual bool IsMailItem() = 0;
};

class IItems {
 public:
  virtual ~IItems() = default;
  virtual std::int32_t Count() = 0;
};

class IFolder {
 public:
  virtual ~IFolder() = default;
  virtual std::shared_ptr<IItems> Items() = 0;
  virtual std::int32_t DefaultItemType() = 0;
};

class ISelection {
 public:
  virtual ~ISelection() = default;
  virtual std::int32_t Count() = 0;
  // From 1.
  virtual std::shared_ptr<IItem> Item(std::int32_t index) = 0;
};

class IExplorer {
 public:
  virtual ~IExplorer() = default;
  // Names the shown folder: "Calendar - Microsoft Outlook" and so on.
  virtual std::string Caption() = 0;
  virtual std::shared_ptr<IFolder> CurrentFolder() = 0;
  virtual std::shared_ptr<ISelection> Selection() = 0;
  virtual std::shared_ptr<ICommandBars> CommandBars() = 0;
  virtual std::int32_t Left() = 0;
  virtual WindowIdentity Identity() = 0;
  virtual Subscription SubscribeClose(std::function<void()> handler) = 0;
  // Delivered to every subscriber.
  virtual Subscription SubscribeSelectionChange(std::function<void()> handler) = 0;
  // A reply composed in the reading pane (Outlook 2013 on): the item, or Nothing.
  virtual std::shared_ptr<IItem> ActiveInlineResponse() = 0;
  using InlineResponseHandler = std::function<void(const std::shared_ptr<IItem>& Item)>;
  virtual Subscription SubscribeInlineResponse(InlineResponseHandler handler) = 0;
  virtual Subscription SubscribeInlineResponseClose(std::function<void()> handler) = 0;
};

class IInspector {
 public:
  virtual ~IInspector() = default;
  virtual std::shared_ptr<IItem> CurrentItem() = 0;
  // Word edits the item: the window shows Word's command bars, which every such window shares.
  virtual bool IsWordMail() = 0;
  virtual std::shared_ptr<ICommandBars> CommandBars() = 0;
  virtual std::int32_t Left() = 0;
  virtual WindowIdentity Identity() = 0;
  virtual Subscription SubscribeClose(std::function<void()> handler) = 0;
  virtual Subscription SubscribeActivate(std::function<void()> handler) = 0;
  virtual Subscription SubscribeDeactivate(std::function<void()> handler) = 0;
};

class IInspectors {
 public:
  virtual ~IInspectors() = default;
  // Raised for every inspector Outlook opens, before the add-in binds it.
  using NewInspectorHandler = std::function<void(const std::shared_ptr<IInspector>& Inspector)>;
  virtual Subscription SubscribeNewInspector(NewInspectorHandler handler) = 0;
};

class IApplication {
 public:
  virtual ~IApplication() = default;
  virtual std::string Version() = 0;
  // The active explorer; null when Outlook has none (started for automation).
  virtual std::shared_ptr<IExplorer> ActiveExplorer() = 0;
  virtual std::shared_ptr<IInspectors> Inspectors() = 0;
};

}  // namespace voxtrel::outlook
