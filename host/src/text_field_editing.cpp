// Editing a text field's descriptor as keys are typed.
//
// The caret and the selection are xpProperty_EditFieldSelStart and xpProperty_EditFieldSelEnd
// (byte offsets, equal when nothing is selected). A printable key replaces the selection; the
// back key deletes the selection, or else the character before the caret (a whole UTF-8
// sequence). A key that would make the text longer than a positive xpProperty_MaxCharacters
// (counted in bytes) is refused and changes nothing. Every change sets the descriptor (so
// xpMsg_DescriptorChanged), then the selection, then sends xpMsg_TextFieldChanged (param1 the
// field) up the parent chain.
#include <algorithm>
#include <string>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "standard_widgets.h"
#include "widget_dispatch.h"
#include "widget_tree.h"

namespace xphost::internal {
namespace {

std::size_t clampedOffset(const Widget &field, XPWidgetPropertyID property) {
    auto it = field.properties.find(property);
    const intptr_t value = it == field.properties.end() ? 0 : it->second;
    if (value < 0) return 0;
    return std::min(static_cast<std::size_t>(value), field.descriptor.size());
}

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

int editTextField(XPWidgetID id, const KeyState &key) {
    const Widget *field = findWidget(id);
    if (field == nullptr || (key.flags & kKeyDownFlag) == 0) return 0;
    std::size_t start = clampedOffset(*field, xpProperty_EditFieldSelStart);
    std::size_t end = clampedOffset(*field, xpProperty_EditFieldSelEnd);
    if (start > end) std::swap(start, end);
    std::string text = field->descriptor;
    std::size_t caret = start;

    const bool isBack = key.vkey == kVirtualKeyBack || key.key == '\b';
    const auto code = static_cast<unsigned char>(key.key);
    if (isBack) {
        if (start == end) {
            if (start == 0) return 1;
            std::size_t from = start - 1;
            while (from > 0 && isUtf8Continuation(text[from]))
                --from;
            start = from;
        }
        text.erase(start, end - start);
        caret = start;
    } else if (code >= 0x20 && code != 0x7F) {
        auto found = field->properties.find(xpProperty_MaxCharacters);
        const intptr_t maxCharacters = found == field->properties.end() ? 0 : found->second;
        const std::size_t newLength = text.size() - (end - start) + 1;
        if (maxCharacters > 0 && newLength > static_cast<std::size_t>(maxCharacters)) return 1;
        text.replace(start, end - start, 1, key.key);
        caret = start + 1;
    } else {
        return 0;
    }

    XPSetWidgetDescriptor(id, text.c_str());
    if (findWidget(id) == nullptr) return 1;
    XPSetWidgetProperty(id, xpProperty_EditFieldSelStart, static_cast<intptr_t>(caret));
    XPSetWidgetProperty(id, xpProperty_EditFieldSelEnd, static_cast<intptr_t>(caret));
    sendUpChain(id, xpMsg_TextFieldChanged, reinterpret_cast<intptr_t>(id), 0);
    return 1;
}

} // namespace xphost::internal
