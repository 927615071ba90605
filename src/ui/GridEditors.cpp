// Makes the editor kinds of this library available to every check-box grid of the program that
// links it, and gives the in-place editor access to their parts.
#include "ui/CalendarEditorKind.h"
#include "ui/GridInteger.h"
#include "ui/InplaceEdit.h"
#include "ui/ListEditorKind.h"
#include "ui/SpinEditorKind.h"

namespace mv {

namespace {

template <class Kind> std::unique_ptr<TEditorKind> Make(TInplaceEdit3D& editor) {
    return std::make_unique<Kind>(editor);
}

// Runs while the program starts, before any grid exists.
[[maybe_unused]] const bool registered = [] {
    RegisterEditorKind({cbsList, cbsDropList}, &Make<TListEditorKind>);
    RegisterEditorKind({cbsSpin}, &Make<TSpinEditorKind>);
    RegisterEditorKind({cbsCalendar}, &Make<TCalendarEditorKind>);
    RegisterCellValueRule(dtInteger, &NormalizeGridInteger);
    return true;
}();

} // namespace

TPopListBox* TInplaceEdit3D::PopList() const {
    const auto* kind = dynamic_cast<const TListEditorKind*>(MadeKind(cbsList));
    return kind ? kind->List() : nullptr;
}

TSpinButton* TInplaceEdit3D::SpinButton() const {
    const auto* kind = dynamic_cast<const TSpinEditorKind*>(MadeKind(cbsSpin));
    return kind ? kind->SpinButton() : nullptr;
}

TMOPopupPanel* TInplaceEdit3D::CalendarPopup() const {
    const auto* kind = dynamic_cast<const TCalendarEditorKind*>(MadeKind(cbsCalendar));
    return kind ? kind->Popup() : nullptr;
}

} // namespace mv
