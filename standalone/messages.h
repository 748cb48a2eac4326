#pragma once

// Message display of the standalone host: traces to the diagnostic log, message boxes to
// standard error with a configured or default answer.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "ridirodev/host/services.h"
#include "standalone/support.h"

namespace ridirodev::standalone {

class StandaloneMessages : public IAppMessages {
 public:
  // Message boxes are written to out (standard error unless given); it must outlive this object.
  explicit StandaloneMessages(std::shared_ptr<StandaloneSupport> support);
  StandaloneMessages(std::shared_ptr<StandaloneSupport> support, std::ostream& out);

  // A log entry (severity = level, object "Messages", operation "Trace") when tracing is on.
  void Trace(std::string_view text, int32_t level) override;
  bool TraceEnabled() const override { return trace_; }
  void SetTraceEnabled(bool on) { trace_ = on; }

  // Writes the caption (the application title when empty), the text and the button chosen.
  // The answer is the configured one when the style offers that button, otherwise the
  // style's default button (the first of its group unless a default-button bit moves it).
  int32_t MessageBox(std::string_view text, int32_t style, std::string_view caption) override;
  // A log entry: severity 1 with the flag (an error), 3 without (information).
  void Report(std::string_view text, bool flag) override;

  // The button a box of that style answers with, given a configured answer ("" for none).
  static int32_t Answer(int32_t style, std::string_view configured);
  static std::string ButtonName(int32_t result);

 private:
  std::shared_ptr<StandaloneSupport> support_;
  std::ostream& out_;
  bool trace_;
};

}  // namespace ridirodev::standalone
