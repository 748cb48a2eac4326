// The library's own entries: its enumerations and event interfaces, then the classes family by
// family, in the catalogue's order.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"
#include "ridirodev/model/enums.h"

namespace ridirodev {

void DeclareCatalogue(Catalogue::Builder& b) {
  for (const char* events : {"__CFieldClipboard", "__CTemplateFieldClipboard", "__CBusyHourClipboard",
                             "__CFilterDefinitions", "__CBusyHours", "__CFieldUpdates"}) {
    b.Events(events);
  }
  b.Enum<EFieldClipboardOperation>("EFieldClipboardOperation",
                                   {{"fldcNone", fldcNone}, {"fldcCopy", fldcCopy}});
  b.Enum<ETemplateFieldClipboardOperation>("ETemplateFieldClipboardOperation",
                                           {{"tplfcNone", tplfcNone}, {"tplfcCopy", tplfcCopy}});
  b.Enum<EBusyHourClipboardOperation>("EBusyHourClipboardOperation",
                                      {{"bhcNone", bhcNone}, {"bhcCopy", bhcCopy}});
  b.Enum<EPropertyDataType>("EPropertyDataType", {{"pdtInteger", pdtInteger},
                                                  {"pdtFloat", pdtFloat},
                                                  {"pdtEnum", pdtEnum},
                                                  {"pdtSTRING", pdtSTRING},
                                                  {"pdtDate", pdtDate},
                                                  {"pdtUser", pdtUser}});
  b.Enum<EFieldProperty>("EFieldProperty", {{"fldName", fldName},
                                            {"fldEntity", fldEntity},
                                            {"fldTechType", fldTechType},
                                            {"fldFieldType", fldFieldType},
                                            {"fldHeading1", fldHeading1},
                                            {"fldHeading2", fldHeading2},
                                            {"fldDescription", fldDescription},
                                            {"fldOwner", fldOwner},
                                            {"fldTimeAggregator", fldTimeAggregator},
                                            {"fldElementAggregator", fldElementAggregator},
                                            {"fldStatus", fldStatus},
                                            {"fldDataType", fldDataType},
                                            {"fldUDCSource", fldUDCSource},
                                            {"fldModified", fldModified},
                                            {"fldComplex", fldComplex},
                                            {"fldExtra", fldExtra}});
  b.Enum<EBusyHoursChange>("EBusyHoursChange",
                           {{"bhsadd", bhsadd}, {"bhsDelete", bhsDelete}, {"bhsClear", bhsClear}});
  b.Enum<EBHProperty>("EBHProperty", {{"bhName", bhName},
                                      {"bhEntity", bhEntity},
                                      {"bhType", bhType},
                                      {"bhField", bhField},
                                      {"bhModified", bhModified},
                                      {"bhDescription", bhDescription},
                                      {"bhFirstNeeded", bhFirstNeeded},
                                      {"bhFirstStored", bhFirstStored},
                                      {"bhLastStored", bhLastStored},
                                      {"bhOwner", bhOwner},
                                      {"bhHours", bhHours},
                                      {"bhSpan", bhSpan}});
  b.Enum<ERelativeType>("ERelativeType",
                        {{"rHours", rHours}, {"rDays", rDays}, {"rMonths", rMonths}, {"rMinutes", rMinutes}});
  b.Enum<EAction>("EAction", {{"eUpdate", eUpdate},
                              {"eAdded", eAdded},
                              {"eDeleted", eDeleted},
                              {"eOwnerChanged", eOwnerChanged},
                              {"eRefreshed", eRefreshed}});
  DeclareFrameClasses(b);
  DeclareFieldClasses(b);
  DeclareQualifierClasses(b);
  DeclareFilterClasses(b);
}

}  // namespace ridirodev
