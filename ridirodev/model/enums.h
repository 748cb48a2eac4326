#pragma once

#include <cstdint>

namespace ridirodev {

enum EFieldClipboardOperation : int32_t { fldcNone = 0, fldcCopy = 1 };
enum ETemplateFieldClipboardOperation : int32_t { tplfcNone = 0, tplfcCopy = 1 };
enum EBusyHourClipboardOperation : int32_t { bhcNone = 0, bhcCopy = 1 };

enum EPropertyDataType : int32_t { pdtInteger = 0, pdtFloat = 1, pdtEnum = 2, pdtSTRING = 3, pdtDate = 4, pdtUser = 5 };

// Column codes of a field in list views: multiples of 256 in declaration order. An extra
// column is fldExtra plus its 1-based position.
enum EFieldProperty : int32_t {
  fldName = 256,
  fldEntity = 512,
  fldTechType = 768,
  fldFieldType = 1024,
  fldHeading1 = 1280,
  fldHeading2 = 1536,
  fldDescription = 1792,
  fldOwner = 2048,
  fldTimeAggregator = 2304,
  fldElementAggregator = 2560,
  fldStatus = 2816,
  fldDataType = 3072,
  fldUDCSource = 3328,
  fldModified = 3584,
  fldComplex = 3840,
  fldExtra = 4096,
};

enum EBusyHoursChange : int32_t { bhsadd = 0, bhsDelete = 1, bhsClear = 2 };

enum EBHProperty : int32_t {
  bhName = 256,
  bhEntity = 512,
  bhType = 768,
  bhField = 1024,
  bhModified = 1280,
  bhDescription = 1536,
  bhFirstNeeded = 1792,
  bhFirstStored = 2048,
  bhLastStored = 2304,
  bhOwner = 2560,
  bhHours = 2816,
  bhSpan = 3072,
};

enum ERelativeType : int32_t { rHours = 0, rDays = 1, rMonths = 2, rMinutes = 3 };

enum EAction : int32_t { eUpdate = 1, eAdded = 2, eDeleted = 3, eOwnerChanged = 4, eRefreshed = 5 };

}  // namespace ridirodev
