#include "fuzz/targets.h"

#include <memory>
#include <stdexcept>
#include <string>

#include "dialect/dialect.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/model/filter/filter.h"
#include "ridirodev/model/filter/property_filters.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/config.h"
#include "standalone/host.h"
#include "standalone/property_bag.h"
#include "standalone/settings.h"

namespace ridirodev::fuzz {
namespace {

// The filters reach the host's services through the component. One host serves every input;
// each input has a scope, and so a component state, of its own.
std::shared_ptr<standalone::StandaloneHost> Host() {
  static const auto host = [] {
    standalone::StandaloneConfig config;
    config.db = ":memory:";
    return std::make_shared<standalone::StandaloneHost>(config);
  }();
  return host;
}

template <typename Filter>
void Describe(const standalone::XmlPropertyBag& bag, Filter& filter) {
  filter.ReadProperties(bag);
  filter.FilterString();
  filter.FilterExpression("F");
  filter.SQLFilterExpression("F");
  standalone::XmlPropertyBag written;
  filter.WriteProperties(written);
}

}  // namespace

void FuzzDialect(std::string_view input) {
  for (const auto engine : {dialect::Engine::kSqlite, dialect::Engine::kPostgres}) {
    try {
      dialect::TranslateDialect(input, engine);
    } catch (const AutomationError&) {
    }
  }
}

void FuzzSettings(std::string_view input) {
  standalone::SettingsStore store;
  try {
    store.LoadXml(input, "fuzz input");
  } catch (const AutomationError&) {
    return;
  }
  // The store saves what it read in its own form; a file it cannot read back, or reads back
  // as something else, loses the user's settings on the next start.
  const std::string written = store.ToXml();
  standalone::SettingsStore reread;
  try {
    reread.LoadXml(written, "rewritten fuzz input");
  } catch (const AutomationError& e) {
    throw std::logic_error("the settings store cannot read what it wrote: " + e.Description());
  }
  if (reread.ToXml() != written) {
    throw std::logic_error("the settings store reads what it wrote as something else:\n" + written);
  }
}

void FuzzCriteria(std::string_view input) {
  if (input.empty()) return;
  const MRidirodevScope scope(Host());
  // A type letter stays itself, so that seeds read as "I> 5"; any other byte picks one.
  static constexpr std::string_view kTypes = "IFSED";
  const char type = kTypes.find(input[0]) != std::string_view::npos
                        ? input[0]
                        : kTypes[static_cast<unsigned char>(input[0]) % kTypes.size()];
  CFilter criterion;
  criterion.Initialize(1, input.substr(1), std::string(1, type));
  std::string why = "not emptied";
  if (criterion.IsValid(why) && !why.empty()) {
    throw std::logic_error("a valid criterion has the message '" + why + "'");
  }
  criterion.FormattedExpression();
}

void FuzzPropertyBag(std::string_view input) {
  const MRidirodevScope scope(Host());
  standalone::XmlPropertyBag bag;
  try {
    bag = standalone::XmlPropertyBag::Parse(input, "fuzz input");
  } catch (const AutomationError&) {
    return;
  }
  const std::string written = bag.ToXml();
  try {
    if (standalone::XmlPropertyBag::Parse(written, "rewritten fuzz input").ToXml() != written) {
      throw std::logic_error("the property bag reads what it wrote as something else:\n" + written);
    }
  } catch (const AutomationError& e) {
    throw std::logic_error("the property bag cannot read what it wrote: " + e.Description());
  }
  CFilterDate date;
  CFilterNumber number;
  CFilterString text;
  CFilterEnum values;
  Describe(bag, date);
  Describe(bag, number);
  Describe(bag, text);
  Describe(bag, values);
  date.IsAccepted("2026-12-06 10:00:00");
  number.IsAccepted("5");
  text.IsAccepted("Call Attempts");
  values.IsAccepted("G", true);
}

std::span<const Target> Targets() {
  static constexpr Target kTargets[] = {
      {"dialect", FuzzDialect},
      {"settings", FuzzSettings},
      {"criteria", FuzzCriteria},
      {"property_bag", FuzzPropertyBag},
  };
  return kTargets;
}

}  // namespace ridirodev::fuzz
