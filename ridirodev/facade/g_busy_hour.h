#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {

class CBusyHours;
class CBusyHourTypes;
class CBusyHourClipboard;
class IFolderDocuments;

// The busy-hour services: keys, list properties, types, the stored definitions, frequencies and
// the checks a dialog makes before a save. No state of its own; the caches live in MBusyHour.
class GBusyHour {
 public:
  GBusyHour() = delete;

  // "BH" and ord.
  static std::string BusyHourKey(int32_t ord);
  // The clipboard for dragging busy hours, or with fDragging false the one for copying; each
  // made empty on first use.
  static std::shared_ptr<CBusyHourClipboard> BusyHourClipboard(bool fDragging = true);
  // Cached per kind: with the field column (no span column), or without it (the span column
  // exactly when asked for on the first call).
  static IAppPropertySetPtr BusyHourProperties(bool fIncludeFieldColumn = true,
                                               bool bIsDWMBusyHoursSupported = false);
  // A new collection: every Traffic category's type when vEntity is Missing; else from the
  // entity (a number is its id, a text its name) up to the root; empty when it is not found.
  static std::shared_ptr<CBusyHourTypes> BusyHourTypes(const Variant& vEntity = Variant::Missing());
  // The cached collection of the one summation type.
  static std::shared_ptr<CBusyHourTypes> SummationTypes();
  // Adds to dbfds the stored reports that use the busy hours.
  static void LoadReferencingReports(const std::shared_ptr<CBusyHours>& bhsTarget, IFolderDocuments& dbfds);
  // The stored busy hours (with a field) of the scenarios listed; error 5 unless sIds is
  // integers separated by commas.
  static std::shared_ptr<CBusyHours> ScenarioDependentBusyHours(const std::string& sIds);
  // Refills the combo box with type names: "All" first when fIncludeAll, the summation type
  // when fSummation or fAddSummation, then the busy-hour types of vEntity unless fSummation.
  static void UpdateBusyHourTypeCB(IComboBox& cboType, bool fSummation = false, bool fIncludeAll = true,
                                   const Variant& vEntity = Variant::Missing(), bool fAddSummation = false);
  // sCategory and " Busy Hour".
  static std::string BusyHourType(const std::string& sCategory);
  static void LoadAllSummations(CBusyHours& bhs, bool bLoadHours);
  static void LoadAllBusyHours(CBusyHours& bhs, bool bLoadHours);
  // Column widths of PM_BusyHour, asked until they are known.
  static int32_t BusyHourNameLength();
  static int32_t BusyHourDescriptionLength();
  // Cached: one entry per frequency by tag, each with "frequency_id", "Description" and "Tag".
  static std::shared_ptr<KeyedCollection<std::shared_ptr<KeyedCollection<Variant>>>> FrequencyStrings();
  // The Description of the nId-th frequency; "" for nId 0 or less; error 9 past the end.
  static std::string FrequencyById(int32_t nId);
  // No stored busy hour of the entity has exactly that name; false when the look-up fails.
  static bool IsBusyHourNameValid(const std::string& strProposedName, int32_t ordClusterEntityID);
  static bool IsDWMBusyHoursSupported();
  static bool IsXBusyHoursSupported();
  // The spans of the entity's stored summations, joined ("DW"); "" when none.
  static std::string FindUsedSpans(int32_t ordEntity);
};

}  // namespace ridirodev
