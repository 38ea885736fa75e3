// How the standard classes look: a calm light theme on a slate desktop, every element inside its
// widget's rectangle (edges included) except caption text, which, as in the simulator, is not
// clipped.
//
// - Main window: light body with a dark outline; a blue title bar across the top
//   kTitleBarHeight rows with the descriptor in bold white; the close box (when the window has
//   close boxes) a red square with a white cross. The translucent style is a dark see-through
//   body with a thin outline and no title bar colour.
// - Sub-window: a sunken panel (screen style: dark; list view: white).
// - Push button: a raised bevelled face, sunken while lit, label centred. Little arrows and the
//   window close box are drawn as their glyph alone.
// - Check box / radio button: a white box (12 pixels, or the widget if smaller) at the left,
//   vertically centred, with a dark mark when on; the descriptor, if any, right of it.
// - Text field: white sunken box, text from 4 pixels in, clipped to the box; while it has the
//   focus, the selection in blue and a caret line, the text scrolled left when needed to keep
//   the caret in view. Password mode shows '*' per character.
//   Transparent fields have no box; translucent ones a dark see-through box and white text.
// - Caption: the descriptor, left aligned and vertically centred; dark, or blue when lit; white
//   inside translucent windows.
// - Each standard widget sets the plain graphics state before it draws and leaves the state the
//   simulator's textured UI drawing leaves: texturing on with a texture bound, blending on.
// - Scroll bar: the scroll track of its value (xpProperty_ScrollBarSliderPosition) between
//   the class's minimum and maximum properties (1501 and 1502, as in the simulator).
#include "standard_widget_drawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "XPStandardWidgets.h"
#include "XPUIGraphics.h"
#include "standard_widgets.h"
#include "text_renderer.h"
#include "ui_draw.h"
#include "widget_tree.h"

namespace xphost::internal {
namespace {

constexpr XPWidgetPropertyID kScrollBarMinimum = 1501;
constexpr XPWidgetPropertyID kScrollBarMaximum = 1502;
constexpr int kCheckBoxSize = 12;
constexpr int kTextInset = 4;

const Colour kWindowBody{0.87f, 0.88f, 0.90f};
const Colour kWindowOutline{0.18f, 0.20f, 0.24f};
const Colour kTitleBar{0.20f, 0.32f, 0.50f};
const Colour kTitleText{1.0f, 1.0f, 1.0f};
const Colour kCloseBox{0.78f, 0.27f, 0.24f};
const Colour kPanel{0.80f, 0.82f, 0.85f};
const Colour kButtonFace{0.95f, 0.96f, 0.97f};
const Colour kButtonLitFace{0.74f, 0.80f, 0.88f};
const Colour kInk{0.10f, 0.11f, 0.13f};
const Colour kLitInk{0.10f, 0.30f, 0.65f};
const Colour kFieldFace{1.0f, 1.0f, 1.0f};
const Colour kSelection{0.60f, 0.75f, 0.95f};
const Colour kWhite{1.0f, 1.0f, 1.0f};

intptr_t propertyOf(const Widget &widget, XPWidgetPropertyID property) {
    auto it = widget.properties.find(property);
    return it == widget.properties.end() ? 0 : it->second;
}

bool insideTranslucentWindow(const Widget &widget) {
    const Widget *root = findWidget(rootOf(widget.id));
    return root != nullptr && root->widgetClass == xpWidgetClass_MainWindow &&
           propertyOf(*root, xpProperty_MainWindowType) == xpMainWindowStyle_Translucent;
}

void drawCross(const WidgetRect &box, Colour colour) {
    // Two diagonals two pixels thick, stepped pixel by pixel so they stay crisp.
    const int l = box.Left + 3, r = box.Right - 3, t = box.Top - 3, b = box.Bottom + 3;
    const int steps = std::min(r - l, t - b);
    for (int i = 0; i <= steps; ++i) {
        const int x = l + i;
        const int x2 = std::min(x + 1, r);
        fillRect(x, t - i, x2, t - i, colour);
        fillRect(x, b + i, x2, b + i, colour);
    }
}

void drawMainWindow(const Widget &window) {
    const int l = window.left, t = window.top, r = window.right, b = window.bottom;
    if (propertyOf(window, xpProperty_MainWindowType) == xpMainWindowStyle_Translucent) {
        glEnable(GL_BLEND);
        fillRect(l, t, r, b, Colour{0.0f, 0.0f, 0.0f, 0.72f});
        glDisable(GL_BLEND);
        outlineRect(l, t, r, b, Colour{0.45f, 0.48f, 0.52f});
        drawText(l + 8, centredBaseline(t, t - kTitleBarHeight + 1, FontStyle::Bold),
                 window.descriptor, kTitleText, FontStyle::Bold);
    } else {
        fillRect(l, t, r, b, kWindowBody);
        fillRect(l, t, r, t - kTitleBarHeight + 1, kTitleBar);
        outlineRect(l, t, r, b, kWindowOutline);
        drawText(l + 8, centredBaseline(t, t - kTitleBarHeight + 1, FontStyle::Bold),
                 window.descriptor, kTitleText, FontStyle::Bold);
    }
    if (propertyOf(window, xpProperty_MainWindowHasCloseBoxes) != 0) {
        const WidgetRect box = closeBoxOf(window);
        const bool pressed = window.pressed;
        fillRect(box.Left, box.Top, box.Right, box.Bottom,
                 pressed ? Colour{0.60f, 0.18f, 0.16f} : kCloseBox);
        outlineRect(box.Left, box.Top, box.Right, box.Bottom, Colour{0.45f, 0.12f, 0.10f});
        drawCross(box, kWhite);
    }
}

void drawSubWindow(const Widget &panel) {
    const intptr_t style = propertyOf(panel, xpProperty_SubWindowType);
    Colour face = kPanel;
    if (style == xpSubWindowStyle_Screen) face = Colour{0.12f, 0.13f, 0.15f};
    if (style == xpSubWindowStyle_ListView) face = kWhite;
    bevelRect(panel.left, panel.top, panel.right, panel.bottom, face, true);
}

void drawCentredLabel(const Widget &widget, Colour ink) {
    const int width = textWidth(widget.descriptor);
    const int x = widget.left + (widget.right - widget.left + 1 - width) / 2;
    drawText(x, centredBaseline(widget.top, widget.bottom), widget.descriptor, ink);
}

void drawToggle(const Widget &button, intptr_t behaviour) {
    const int height = button.top - button.bottom + 1;
    const int size = std::min(kCheckBoxSize, std::min(height, button.right - button.left + 1));
    const int boxTop = button.top - (height - size) / 2;
    const int boxBottom = boxTop - size + 1;
    const int boxLeft = button.left;
    const int boxRight = boxLeft + size - 1;
    bevelRect(boxLeft, boxTop, boxRight, boxBottom, kFieldFace, true);
    if (propertyOf(button, xpProperty_ButtonState) != 0) {
        const int inset = behaviour == xpButtonBehaviorRadioButton ? 4 : 3;
        fillRect(boxLeft + inset, boxTop - inset, boxRight - inset, boxBottom + inset, kLitInk);
    }
    if (!button.descriptor.empty())
        drawText(boxRight + 5, centredBaseline(button.top, button.bottom), button.descriptor,
                 insideTranslucentWindow(button) ? kWhite : kInk);
}

void drawButton(const Widget &button) {
    const intptr_t type = propertyOf(button, xpProperty_ButtonType);
    const intptr_t behaviour = propertyOf(button, xpProperty_ButtonBehavior);
    const bool lit = propertyOf(button, xpProperty_Hilited) != 0;
    if (behaviour == xpButtonBehaviorCheckBox || behaviour == xpButtonBehaviorRadioButton ||
        type == xpRadioButton) {
        drawToggle(button, behaviour);
        return;
    }
    const int l = button.left, t = button.top, r = button.right, b = button.bottom;
    if (type == xpLittleDownArrow || type == xpLittleUpArrow) {
        fillArrow(l + 2, t - 2, r - 2, b + 2,
                  type == xpLittleUpArrow ? ArrowDirection::Up : ArrowDirection::Down,
                  lit ? kLitInk : kInk);
        return;
    }
    if (type == xpWindowCloseBox) {
        fillRect(l, t, r, b, lit ? Colour{0.60f, 0.18f, 0.16f} : kCloseBox);
        drawCross(WidgetRect{l, t, r, b}, kWhite);
        return;
    }
    bevelRect(l, t, r, b, lit ? kButtonLitFace : kButtonFace, lit);
    outlineRect(l, t, r, b, Colour{0.45f, 0.48f, 0.53f});
    drawCentredLabel(button, kInk);
}

std::size_t clampedOffset(const Widget &field, XPWidgetPropertyID property) {
    const intptr_t value = propertyOf(field, property);
    if (value < 0) return 0;
    return std::min(static_cast<std::size_t>(value), field.descriptor.size());
}

void drawTextField(const Widget &field) {
    const intptr_t type = propertyOf(field, xpProperty_TextFieldType);
    const int l = field.left, t = field.top, r = field.right, b = field.bottom;
    Colour ink = kInk;
    if (type == xpTextTranslucent) {
        glEnable(GL_BLEND);
        fillRect(l, t, r, b, Colour{0.0f, 0.0f, 0.0f, 0.5f});
        glDisable(GL_BLEND);
        ink = kWhite;
    } else if (type != xpTextTransparent) {
        bevelRect(l, t, r, b, kFieldFace, true);
        outlineRect(l, t, r, b, Colour{0.55f, 0.58f, 0.63f});
    }
    const std::string shown = propertyOf(field, xpProperty_PasswordMode) != 0
                                  ? std::string(field.descriptor.size(), '*')
                                  : field.descriptor;
    const int baseline = centredBaseline(t, b);
    glEnable(GL_SCISSOR_TEST);
    // The scissor box is in window pixels, edges included here, clipped to the field's inside.
    glScissor(l + 1, b + 1, std::max(r - l - 1, 0), std::max(t - b - 1, 0));
    const bool focused = inputState().keyboardFocus == field.id;
    std::size_t start = clampedOffset(field, xpProperty_EditFieldSelStart);
    std::size_t end = clampedOffset(field, xpProperty_EditFieldSelEnd);
    if (start > end) std::swap(start, end);
    // Text longer than the field scrolls left just enough to keep the caret in view.
    const int room = r - l + 1 - 2 * kTextInset;
    const int caretOffset = textWidth(shown.substr(0, end));
    const int x = l + kTextInset - (focused ? std::max(0, caretOffset - room + 1) : 0);
    const int rowTop = baseline + fontAscent() - 1;
    const int rowBottom = baseline - fontDescent();
    if (focused && start != end)
        fillRect(x + textWidth(shown.substr(0, start)), rowTop,
                 x + textWidth(shown.substr(0, end)) - 1, rowBottom, kSelection);
    drawText(x, baseline, shown, ink);
    if (focused) {
        const int caret = x + caretOffset;
        fillRect(caret, rowTop, caret, rowBottom, ink);
    }
    glDisable(GL_SCISSOR_TEST);
}

void drawCaption(const Widget &caption) {
    Colour ink = propertyOf(caption, xpProperty_CaptionLit) != 0 ? kLitInk : kInk;
    if (insideTranslucentWindow(caption)) ink = kWhite;
    drawText(caption.left, centredBaseline(caption.top, caption.bottom), caption.descriptor, ink);
}

void drawScrollBar(const Widget &bar) {
    XPDrawTrack(bar.left, bar.top, bar.right, bar.bottom,
                static_cast<int>(propertyOf(bar, kScrollBarMinimum)),
                static_cast<int>(propertyOf(bar, kScrollBarMaximum)),
                static_cast<int>(propertyOf(bar, xpProperty_ScrollBarSliderPosition)),
                xpTrack_ScrollBar, 0);
}

} // namespace

void drawStandardWidget(const Widget &widget) {
    if (!requireFrame("drawing a standard widget")) return;
    // Whatever a plug-in's draw left behind (texturing, blending, depth) must not show here.
    applyPlainState();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    switch (widget.widgetClass) {
    case xpWidgetClass_MainWindow:
        drawMainWindow(widget);
        break;
    case xpWidgetClass_SubWindow:
        drawSubWindow(widget);
        break;
    case xpWidgetClass_Button:
        drawButton(widget);
        break;
    case xpWidgetClass_TextField:
        drawTextField(widget);
        break;
    case xpWidgetClass_Caption:
        drawCaption(widget);
        break;
    case xpWidgetClass_ScrollBar:
        drawScrollBar(widget);
        break;
    case xpWidgetClass_Progress:
        bevelRect(widget.left, widget.top, widget.right, widget.bottom, kPanel, true);
        break;
    default:
        break;
    }
    // The simulator draws its widgets from textured bitmaps and leaves that state behind.
    leaveUserInterfaceState();
}

} // namespace xphost::internal
