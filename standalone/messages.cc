#include "standalone/messages.h"

#include <iostream>
#include <vector>

#include "ridirodev/core/text.h"

namespace ridirodev::standalone {
namespace {

constexpr int32_t kAbort = 3;
constexpr int32_t kRetry = 4;
constexpr int32_t kIgnore = 5;

// Buttons of the platform's button groups (the low four bits of the style), in order.
std::vector<int32_t> Buttons(int32_t style) {
  using namespace MessageBoxResult;
  switch (style & 0xF) {
    case 1:
      return {kOk, kCancel};
    case 2:
      return {kAbort, kRetry, kIgnore};
    case 3:
      return {kYes, kNo, kCancel};
    case 4:
      return {kYes, kNo};
    case 5:
      return {kRetry, kCancel};
    default:
      return {kOk};
  }
}

}  // namespace

StandaloneMessages::StandaloneMessages(std::shared_ptr<StandaloneSupport> support)
    : StandaloneMessages(std::move(support), std::cerr) {}

StandaloneMessages::StandaloneMessages(std::shared_ptr<StandaloneSupport> support, std::ostream& out)
    : support_(std::move(support)), out_(out), trace_(support_->Config().trace) {}

void StandaloneMessages::Trace(std::string_view text, int32_t level) {
  if (trace_) support_->Log(level, "Ridirodev", "Messages", "Trace", {std::string(text)});
}

int32_t StandaloneMessages::Answer(int32_t style, std::string_view configured) {
  const std::vector<int32_t> buttons = Buttons(style);
  for (int32_t b : buttons) {
    if (!configured.empty() && EqualsNoCase(ButtonName(b), configured)) return b;
  }
  // Default-button bits 256 and 512 pick the second and third button when the group has them.
  const size_t index = static_cast<size_t>((style >> 8) & 0x3);
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string StandaloneMessages::ButtonName(int32_t result) {
  using namespace MessageBoxResult;
  switch (result) {
    case kOk:
      return "OK";
    case kCancel:
      return "Cancel";
    case kAbort:
      return "Abort";
    case kRetry:
      return "Retry";
    case kIgnore:
      return "Ignore";
    case kYes:
      return "Yes";
    case kNo:
      return "No";
    default:
      return std::to_string(result);
  }
}

int32_t StandaloneMessages::MessageBox(std::string_view text, int32_t style, std::string_view caption) {
  const StandaloneConfig& config = support_->Config();
  const int32_t answer = Answer(style, config.messageBoxAnswer);
  const std::string title = caption.empty() ? support_->AppTitle() : std::string(caption);
  // Each line of the text indented, so that the box stands out among other output.
  std::string body = "  ";
  for (char c : text) {
    if (c == '\r') continue;
    body += c;
    if (c == '\n') body += "  ";
  }
  std::string buttons;
  for (int32_t b : Buttons(style)) {
    if (!buttons.empty()) buttons += '/';
    buttons += ButtonName(b);
  }
  out_ << "[" << title << "]\n" << body << "\n  " << buttons << " -> " << ButtonName(answer) << "\n";
  out_.flush();
  return answer;
}

void StandaloneMessages::Report(std::string_view text, bool flag) {
  support_->Log(flag ? 1 : 3, "Ridirodev", "Messages", "Report", {std::string(text)});
}

}  // namespace ridirodev::standalone
