#include "ridirodev/model/busyhour/busy_hour_properties.h"

#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

enum class Shown { kAlways, kWithField, kWithSpan };

struct Column {
  EBHProperty code;
  const char* title;
  Shown shown;
};

constexpr Column kColumns[] = {
    {bhName, "Name", Shown::kAlways},
    {bhEntity, "Category", Shown::kAlways},
    {bhType, "Type", Shown::kAlways},
    {bhField, "Field", Shown::kWithField},
    {bhHours, "Hours", Shown::kWithField},
    {bhDescription, "Description", Shown::kAlways},
    {bhModified, "Modified", Shown::kAlways},
    {bhFirstNeeded, "First Needed", Shown::kAlways},
    {bhFirstStored, "First Avail", Shown::kAlways},
    {bhLastStored, "Last Avail", Shown::kAlways},
    {bhOwner, "Owner", Shown::kAlways},
    {bhSpan, "Span", Shown::kWithSpan},
};

IAppPropertySetPtr MakeProperties(IAppSupport& support, bool withField, bool withSpan) {
  IAppPropertySetPtr set = support.CreatePropertySet();
  for (const Column& column : kColumns) {
    if ((column.shown == Shown::kWithField && !withField) ||
        (column.shown == Shown::kWithSpan && !withSpan)) {
      continue;
    }
    set->Add(support.CreatePropertyDefinition(column.code, column.title, 1200.0f, 0, true, 0));
  }
  return set;
}

}  // namespace

IAppPropertySetPtr BusyHourProperties(MRidirodev& state, bool fIncludeFieldColumn,
                                      bool bIsDWMBusyHoursSupported) {
  MBusyHour& cache = state.BusyHour();
  // Each set is built once: the one with the field column never shows the span, the other
  // shows it as its first caller asked.
  IAppPropertySetPtr& set = fIncludeFieldColumn ? cache.propertiesWithField : cache.propertiesWithoutField;
  if (!set)
    set = MakeProperties(state.Support(), fIncludeFieldColumn,
                         !fIncludeFieldColumn && bIsDWMBusyHoursSupported);
  return set;
}

}  // namespace ridirodev
