#include <string>
#include <string_view>

#include "common/classic.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/product_site.h"
#include "mailwindow/required.h"
#include "platform/registry.h"

namespace voxtrel {
namespace {

constexpr std::string_view kHtmlMarker = "<!VoxtREL>";
constexpr std::string_view kTextMarker = "MP3 Audio messages sent with Voxtrel.";

std::string WithoutFree(std::string text) {
  constexpr std::string_view kFree = "Free";
  for (auto at = text.find(kFree); at != std::string::npos; at = text.find(kFree, at)) {
    text.erase(at, kFree.size());
  }
  return text;
}

std::string TextTagline() {
  std::string tagline = "\r\n";
  tagline += std::string(44, '_');
  tagline += "\r\n";
  tagline += kTextMarker;
  tagline += "\r\nFree Outlook plug-in available at ";
  tagline += ProductSiteUrl;
  return WithoutFree(std::move(tagline));
}

std::string HtmlTagline() {
  const std::string url(ProductSiteUrl);
  std::string tagline = "<HTML>" + std::string(kHtmlMarker) + "<HR><A HREF=" + url + ">";
  tagline += "<IMG BORDER=0 SRC=" + url + "/email.jpg VSPACE=0 HSPACE=0></A><BR>";
  tagline += "<FONT FACE=Verdana SIZE=1>MP3 Audio messages sent with <A HREF=" + url;
  tagline += ">Voxtrel</A>.<BR> Free Outlook plug-in available at <A HREF=" + url + ">";
  tagline += std::string(ProductSiteHost) + "</A></FONT>.</HTML>\r\n";
  return WithoutFree(std::move(tagline));
}

bool HasVoiceAttachment(outlook::IMailItem& mail) {
  auto attachments = mail.Attachments();
  const std::int32_t count = Required(attachments).Count();
  for (std::int32_t position = 1; position <= count; ++position) {
    if (IsVoiceAttachment(Required(attachments->Item(position)).FileName())) return true;
  }
  return false;
}

// The message's own format where Outlook tells it (2002 on, once the item is shown): from 2003
// a plain-text message also answers HTMLBody, with HTML made from its text. Else, as Outlook
// 2000 must be asked: plain text is what has no HTML body.
std::int32_t MessageFormat(outlook::IMailItem& mail) {
  constexpr int kNoSuchMember = 438;
  try {
    const std::int32_t format = mail.BodyFormat();
    if (format != 0) return format;
  } catch (const Error& error) {
    if (error.number() != kNoSuchMember) throw;
  }
  return mail.HTMLBody().empty() ? outlook::kFormatPlain : outlook::kFormatHtml;
}

bool TagLineOn() {
  std::string text = classic::CStr(
      Registry::GetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "TagLine"));
  if (text.empty()) text = "False";
  return classic::CBool(text);
}

}  // namespace

void MailWindow::oMail_Send([[maybe_unused]] bool& Cancel) {
  TraceErrors("MailWindow.oMail_Send} ERROR: ", [&] {
    outlook::IMailItem& mail = Required(oMail_);
    bool tag = HasVoiceAttachment(mail);
    if (!TagLineOn()) tag = false;
    if (!tag) return;
    if (mail.HTMLBody().find(kHtmlMarker) != std::string::npos ||
        mail.Body().find(kTextMarker) != std::string::npos) {
      return;
    }
    switch (MessageFormat(mail)) {
      case outlook::kFormatPlain:
        mail.Body(mail.Body() + TextTagline());
        return;
      case outlook::kFormatRichText:
        modTraceWrite::TraceWrite(
            "MailWindow.oMail_Send: no tagline in a rich-text message: writing its body would "
            "lose its formatting");
        return;
      default:
        break;
    }
    const std::string html = mail.HTMLBody() + HtmlTagline();
    try {
      mail.HTMLBody(html);
    } catch (...) {
      // The message then goes out with its own HTML; the send is never stopped for a tagline.
    }
  });
}

}  // namespace voxtrel
