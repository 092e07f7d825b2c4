#pragma once
// Helpers that turn the grids' texts into item descriptions (PropertySpec): labels from
// LangText rows, numbered labels, and option lists from rows or from text makers.
#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "content/model/lang.h"
#include "toolkit/property_grid.h"
#include "toolkit/qt_text.h"

namespace ledsuite::rows {

inline std::function<QString()> Label(const LangText& row) {
    return [&row] { return ToQString(row); };
}
// "%s %d" of a row and a number.
inline std::function<QString()> Numbered(const LangText& row, int n) {
    return [&row, n] { return ToQString(row) + ' ' + QString::number(n); };
}
inline QStringList ToList(const std::vector<std::u16string>& texts) {
    QStringList out;
    for (const auto& t : texts) out << ToQString(t);
    return out;
}
template <size_t N>
std::function<QStringList()> Options(const std::array<LangText, N>& rows) {
    return [&rows] {
        QStringList out;
        for (const LangText& r : rows) out << ToQString(r);
        return out;
    };
}
inline std::function<QStringList()> Options(std::initializer_list<const LangText*> rows) {
    std::vector<const LangText*> list(rows);
    return [list] {
        QStringList out;
        for (const LangText* r : list) out << ToQString(*r);
        return out;
    };
}
inline std::function<QStringList()> Fixed(QStringList texts) {
    return [texts] { return texts; };
}

inline PropertySpec Group(int key, int parent, std::function<QString()> label) {
    PropertySpec s;
    s.key = key;
    s.parent = parent;
    s.kind = PropertyKind::Group;
    s.label = std::move(label);
    return s;
}
inline PropertySpec List(int key, int parent, std::function<QString()> label, std::function<QStringList()> options,
                         bool relabel, std::function<QString()> description = {}) {
    PropertySpec s;
    s.key = key;
    s.parent = parent;
    s.kind = PropertyKind::List;
    s.label = std::move(label);
    s.options = std::move(options);
    s.relabelOptions = relabel;
    s.description = std::move(description);
    return s;
}
inline PropertySpec Number(int key, int parent, std::function<QString()> label, int lo, int hi,
                           std::function<QString()> description = {}) {
    PropertySpec s;
    s.key = key;
    s.parent = parent;
    s.kind = PropertyKind::Spin;
    s.label = std::move(label);
    s.lo = lo;
    s.hi = hi;
    s.description = std::move(description);
    return s;
}
inline PropertySpec Item(int key, int parent, PropertyKind kind, std::function<QString()> label,
                         std::function<QString()> description = {}) {
    PropertySpec s;
    s.key = key;
    s.parent = parent;
    s.kind = kind;
    s.label = std::move(label);
    s.description = std::move(description);
    return s;
}

}  // namespace ledsuite::rows
