#include "ui/EditorKind.h"

#include <array>

namespace mv {

namespace {

// Filled while the program starts, before any grid exists; read only afterwards.
std::array<TEditorKindFactory, cbsCalendar + 1>& Factories() {
    static std::array<TEditorKindFactory, cbsCalendar + 1> factories{};
    return factories;
}

std::array<TCellValueRule, dtInteger + 1>& Rules() {
    static std::array<TCellValueRule, dtInteger + 1> rules{};
    return rules;
}

} // namespace

void RegisterEditorKind(std::initializer_list<TMOColumnButtonStyle> styles,
                        TEditorKindFactory factory) {
    for (const TMOColumnButtonStyle style : styles)
        Factories()[size_t(style)] = factory;
}

TEditorKindFactory EditorKindFactory(TMOColumnButtonStyle style) {
    return Factories()[size_t(style)];
}

void RegisterCellValueRule(TInputDataType type, TCellValueRule rule) {
    Rules()[size_t(type)] = rule;
}

TCellValueRule CellValueRule(TInputDataType type) {
    return Rules()[size_t(type)];
}

} // namespace mv
