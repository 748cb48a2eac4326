#include "ridirodev/model/enum_values.h"

#include <utility>

namespace ridirodev {

void CEnumValue::Initialize(std::string sKeyA, std::string sDescriptionA) {
  key_ = std::move(sKeyA);
  description_ = std::move(sDescriptionA);
}

}  // namespace ridirodev
