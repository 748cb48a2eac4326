#include "standalone/property_set.h"

#include <algorithm>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {
namespace {

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

std::string CellText(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Missing:
    case VarType::Object:
      return {};
    default:
      return OneLine(v.ToString());
  }
}

void AppendPadded(std::string& line, const std::string& text, size_t width) {
  line += text;
  line.append(width - Utf8Length(text), ' ');
}

void TrimTrailingBlanks(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

}  // namespace

void PropertySet::Add(IAppPropertyDefinitionPtr definition) {
  if (!definition)
    throw AutomationError(ErrorNumber::kObjectNotSet, "PropertySet", "Object variable not set");
  definitions_.push_back(std::move(definition));
}

IAppPropertyDefinitionPtr PropertySet::Item(int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return definitions_[static_cast<size_t>(position) - 1];
}

IAppPropertyDefinitionPtr PropertySet::ItemById(int32_t id) const {
  for (const auto& d : definitions_) {
    if (d->Id() == id) return d;
  }
  return nullptr;
}

std::string PropertySet::RenderTable(const ILVItemCollection& items, bool showColumnHeadings, int32_t,
                                     int32_t, int32_t, std::shared_ptr<Object> context) const {
  std::string separator = "  ";
  if (auto ctx = std::dynamic_pointer_cast<TableRenderContext>(context)) separator = ctx->columnSeparator;

  std::vector<IAppPropertyDefinitionPtr> columns;
  for (const auto& d : definitions_) {
    if (d->Available()) columns.push_back(d);
  }
  std::vector<std::string> headings;
  std::vector<size_t> widths;
  for (const auto& d : columns) {
    headings.push_back(OneLine(d->Name()));
    widths.push_back(showColumnHeadings ? Utf8Length(headings.back()) : 0);
  }
  std::vector<std::vector<std::string>> rows;
  const int32_t count = items.Count();
  rows.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int32_t i = 1; i <= count; ++i) {
    const ILVItemObjectPtr item = items.Item(Variant(i));
    std::vector<std::string>& row = rows.emplace_back();
    for (size_t c = 0; c < columns.size(); ++c) {
      row.push_back(item ? CellText(item->Value(columns[c]->Id())) : std::string());
      widths[c] = std::max(widths[c], Utf8Length(row.back()));
    }
  }

  std::string out;
  auto emit = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) line += separator;
      AppendPadded(line, cells[c], widths[c]);
    }
    TrimTrailingBlanks(line);
    out += line;
    out += '\n';
  };
  if (showColumnHeadings && !columns.empty()) {
    emit(headings);
    std::vector<std::string> rule;
    for (size_t w : widths) rule.emplace_back(w, '-');
    emit(rule);
  }
  for (const auto& row : rows) emit(row);
  return out;
}

}  // namespace ridirodev::standalone
