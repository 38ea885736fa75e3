// The headless host's screen: the OpenGL frame, where pixels land, how the standard widgets and
// the host's drawing helpers look, and pictures saved as PNG.
#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "XPLMGraphics.h"
#include "XPStandardWidgets.h"
#include "XPUIGraphics.h"
#include "XPWidgets.h"
#include "support/host_fixture.h"
#include "xphost/host.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace {

using plotwright_test::HostTest;

// What the next custom widget draw does; set by each test.
void (*gDrawAction)(XPWidgetID) = nullptr;

int drawingWidget(XPWidgetMessage message, XPWidgetID widget, intptr_t, intptr_t) {
    if (message == xpMsg_Create) return 1;
    if (message != xpMsg_Draw) return 0;
    // As a plug-in must: a draw inherits whatever state was left before it.
    XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
    if (gDrawAction != nullptr) gDrawAction(widget);
    return 1;
}

bool isRgb(const std::uint8_t *pixel, int r, int g, int b, int tolerance = 2) {
    return pixel != nullptr && std::abs(pixel[0] - r) <= tolerance &&
           std::abs(pixel[1] - g) <= tolerance && std::abs(pixel[2] - b) <= tolerance;
}

class ScreenTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        gDrawAction = nullptr;
        std::string error;
        ASSERT_TRUE(xphost::ensureGraphics(&error)) << error;
    }
    void expectHostErrorsMentioning(const std::string &text, std::size_t count) {
        const auto &errors = xphost::hostErrors();
        EXPECT_EQ(errors.size(), count);
        for (const std::string &error : errors)
            EXPECT_NE(error.find(text), std::string::npos) << error;
        xphost::clearHostErrors();
    }
    XPWidgetID customRoot(int left, int top, int right, int bottom) {
        return XPCreateCustomWidget(left, top, right, bottom, 1, "", 1, nullptr, drawingWidget);
    }
};

TEST_F(ScreenTest, IntegerCoordinatesLightExactlyTheirPixel) {
    customRoot(0, 799, 1279, 0);
    gDrawAction = [](XPWidgetID) {
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_LINES);
        glVertex2i(10, 100);
        glVertex2i(50, 100);
        glVertex2i(200, 10);
        glVertex2i(200, 60);
        glEnd();
    };
    const xphost::Image screen = xphost::captureScreen();
    ASSERT_EQ(screen.Width, 1280);
    ASSERT_EQ(screen.Height, 800);
    for (int x = 10; x < 50; ++x)
        EXPECT_TRUE(isRgb(screen.at(x, 100), 255, 255, 255)) << x;
    EXPECT_FALSE(isRgb(screen.at(30, 99), 255, 255, 255));
    EXPECT_FALSE(isRgb(screen.at(30, 101), 255, 255, 255));
    EXPECT_FALSE(isRgb(screen.at(9, 100), 255, 255, 255));
    for (int y = 10; y < 60; ++y)
        EXPECT_TRUE(isRgb(screen.at(200, y), 255, 255, 255)) << y;
    EXPECT_FALSE(isRgb(screen.at(199, 30), 255, 255, 255));
    EXPECT_FALSE(isRgb(screen.at(201, 30), 255, 255, 255));
    // Row 0 of the picture is the screen's top row.
    EXPECT_EQ(screen.at(10, 100),
              &screen.Rgba[(static_cast<std::size_t>(799 - 100) * 1280 + 10) * 4]);
    EXPECT_EQ(screen.at(1280, 0), nullptr);
}

TEST_F(ScreenTest, RectanglePicturesIncludeAllFourEdges) {
    customRoot(0, 799, 1279, 0);
    gDrawAction = [](XPWidgetID) {
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        glVertex2i(100, 200);
        glVertex2i(101, 200);
        glEnd();
    };
    const xphost::Image picture = xphost::captureRect(xphost::WidgetRect{100, 210, 120, 200});
    ASSERT_EQ(picture.Width, 21);
    ASSERT_EQ(picture.Height, 11);
    EXPECT_TRUE(isRgb(picture.at(0, 0), 255, 0, 0));
    EXPECT_FALSE(isRgb(picture.at(1, 0), 255, 0, 0));

    // Off the screen the picture keeps its size and is transparent there.
    const xphost::Image edge = xphost::captureRect(xphost::WidgetRect{-5, 4, 4, -5});
    ASSERT_EQ(edge.Width, 10);
    EXPECT_EQ(edge.at(0, 0)[3], 0);
    EXPECT_EQ(edge.at(9, 9)[3], 255);
}

TEST_F(ScreenTest, DarkBoxDarkensItsRectangleEdgesIncluded) {
    customRoot(0, 799, 1279, 0);
    gDrawAction = [](XPWidgetID) {
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_POLYGON);
        glVertex2i(300, 400);
        glVertex2i(400, 400);
        glVertex2i(400, 300);
        glVertex2i(300, 300);
        glEnd();
        XPLMDrawTranslucentDarkBox(320, 380, 380, 320);
        // As the simulator's, the dark box leaves texturing (with a texture bound) and blending
        // on; only the plug-in's own state call makes the next line opaque white again.
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        GLint texture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        EXPECT_NE(texture, 0);
        XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_LINES);
        glVertex2i(300, 390);
        glVertex2i(399, 390);
        glEnd();
    };
    const xphost::Image screen = xphost::captureScreen();
    const std::uint8_t *dark = screen.at(350, 350);
    EXPECT_TRUE(isRgb(dark, 77, 77, 77, 3)) << int(dark[0]);
    EXPECT_TRUE(isRgb(screen.at(320, 350), 77, 77, 77, 3));
    EXPECT_TRUE(isRgb(screen.at(380, 320), 77, 77, 77, 3));
    EXPECT_TRUE(isRgb(screen.at(381, 350), 255, 255, 255));
    EXPECT_TRUE(isRgb(screen.at(350, 381), 255, 255, 255));
    EXPECT_TRUE(isRgb(screen.at(350, 390), 255, 255, 255));
}

int gHostileChecks = 0;

// Sets its state once, at creation, as a careless plug-in would.
int stateCheckingWidget(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    if (message == xpMsg_Create) {
        XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
        return 1;
    }
    if (message != xpMsg_Draw) return 0;
    // The frame starts hostile, and the window and caption drawn before leave what the
    // simulator's textured UI drawing leaves.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_NE(texture, 0);
    XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
    for (GLenum capability :
         {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_LIGHTING, GL_FOG, GL_ALPHA_TEST})
        EXPECT_FALSE(glIsEnabled(capability)) << capability;
    ++gHostileChecks;
    // Left behind on purpose: the host's widgets drawn after this must not inherit it.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    return 1;
}

TEST_F(ScreenTest, CustomWidgetsInheritAHostileStateAndTheHostsWidgetsSetTheirOwn) {
    XPWidgetID window = XPCreateWidget(100, 500, 500, 100, 1, "Text drawn before", 1, nullptr,
                                       xpWidgetClass_MainWindow);
    XPCreateWidget(110, 470, 300, 450, 1, "Caption text", 0, window, xpWidgetClass_Caption);
    XPCreateCustomWidget(110, 440, 490, 300, 1, "", 0, window, stateCheckingWidget);
    XPWidgetID button = XPCreateWidget(110, 290, 200, 260, 1, "", 0, window, xpWidgetClass_Button);
    gHostileChecks = 0;
    xphost::drawFrame();
    const xphost::Image picture = xphost::captureWindow(button);
    EXPECT_EQ(gHostileChecks, 2);
    // The button drawn after the widget's leftovers still shows its light face.
    EXPECT_TRUE(isRgb(picture.at(45, 15), 242, 245, 247, 3)) << int(picture.at(45, 15)[0]);
}

TEST_F(ScreenTest, GlErrorsInADrawAndDrawingOutsideAFrameAreHostErrors) {
    customRoot(0, 100, 100, 0);
    gDrawAction = [](XPWidgetID) { glEnd(); };
    xphost::drawFrame();
    expectHostErrorsMentioning("GL_INVALID_OPERATION", 1);

    // A primitive left open is closed, reported, and the rest of the frame still draws.
    XPCreateWidget(200, 300, 300, 200, 1, "After", 1, nullptr, xpWidgetClass_MainWindow);
    gDrawAction = [](XPWidgetID) {
        glBegin(GL_LINES);
        glVertex2i(0, 0);
    };
    const xphost::Image picture = xphost::captureRect(xphost::WidgetRect{200, 300, 300, 200});
    expectHostErrorsMentioning("glBegin without glEnd", 1);
    EXPECT_TRUE(isRgb(picture.at(0, 0), 46, 51, 61, 3)); // the window behind drew its outline

    gDrawAction = nullptr;
    XPLMDrawTranslucentDarkBox(0, 10, 10, 0);
    XPDrawTrack(0, 20, 100, 0, 0, 10, 5, xpTrack_ScrollBar, 0);
    expectHostErrorsMentioning("outside a frame", 2);

    // A GL error raised between frames is found at the start of the next one.
    glEnd();
    xphost::drawFrame();
    expectHostErrorsMentioning("outside a frame", 1);
}

// Counts pixels of the picture darker than `limit` in every channel.
int darkPixels(const xphost::Image &picture, int limit, int inset = 0) {
    int count = 0;
    for (int y = inset; y < picture.Height - inset; ++y)
        for (int x = inset; x < picture.Width - inset; ++x) {
            const std::uint8_t *p = picture.at(x, y);
            if (p[0] < limit && p[1] < limit && p[2] < limit) ++count;
        }
    return count;
}

TEST_F(ScreenTest, StandardWidgetsShowTheirTextAndState) {
    XPWidgetID window =
        XPCreateWidget(100, 500, 500, 100, 1, "Window", 1, nullptr, xpWidgetClass_MainWindow);
    XPWidgetID labelled =
        XPCreateWidget(120, 200, 200, 170, 1, " Record", 0, window, xpWidgetClass_Button);
    XPWidgetID blank = XPCreateWidget(220, 200, 300, 170, 1, "", 0, window, xpWidgetClass_Button);
    const int labelInk = darkPixels(xphost::captureWindow(labelled), 120, 2);
    EXPECT_GT(labelInk, 30);
    EXPECT_EQ(darkPixels(xphost::captureWindow(blank), 120, 2), 0);

    XPWidgetID box = XPCreateWidget(120, 300, 132, 288, 1, "", 0, window, xpWidgetClass_Button);
    XPSetWidgetProperty(box, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(box, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    const xphost::Image off = xphost::captureWindow(box);
    xphost::clickWidget(box);
    const xphost::Image on = xphost::captureWindow(box);
    EXPECT_NE(off.Rgba, on.Rgba);

    XPWidgetID field =
        XPCreateWidget(120, 260, 300, 240, 1, "12.5", 0, window, xpWidgetClass_TextField);
    const xphost::Image unfocused = xphost::captureWindow(field);
    EXPECT_GT(darkPixels(unfocused, 120, 2), 10);
    xphost::clickWidget(field);
    EXPECT_NE(xphost::captureWindow(field).Rgba, unfocused.Rgba); // the caret shows

    // A window's picture starts with its outline at every edge.
    const xphost::Image picture = xphost::captureWindow(window);
    ASSERT_EQ(picture.Width, 401);
    ASSERT_EQ(picture.Height, 401);
    EXPECT_TRUE(isRgb(picture.at(0, 0), 46, 51, 61, 3));
    EXPECT_TRUE(isRgb(picture.at(400, 400), 46, 51, 61, 3));

    // Hidden windows are not drawn; the front window covers the back one.
    XPHideWidget(window);
    const xphost::Image desktop = xphost::captureRect(xphost::WidgetRect{150, 200, 160, 190});
    EXPECT_TRUE(isRgb(desktop.at(5, 5), 59, 69, 79, 2));
}

int gTrackLit = 0;
TEST_F(ScreenTest, ScrollTrackIsBrighterWhenLit) {
    customRoot(0, 799, 1279, 0);
    gDrawAction = [](XPWidgetID) {
        XPDrawTrack(100, 120, 800, 100, 0, 1000, 500, xpTrack_ScrollBar, gTrackLit);
    };
    int downButton = 0, downPage = 0, thumb = 0;
    XPGetTrackMetrics(100, 120, 800, 100, 0, 1000, 500, xpTrack_ScrollBar, nullptr, &downButton,
                      &downPage, &thumb, nullptr, nullptr);
    const int thumbX = 100 + downButton + downPage + thumb / 2;
    gTrackLit = 0;
    const xphost::Image plain = xphost::captureScreen();
    gTrackLit = 1;
    const xphost::Image lit = xphost::captureScreen();
    EXPECT_GT(lit.at(thumbX, 110)[0], plain.at(thumbX, 110)[0] + 20);
    // The page area differs from the thumb, so the thumb can be seen.
    EXPECT_NE(plain.at(thumbX, 110)[0], plain.at(100 + downButton + 5, 110)[0]);
}

TEST_F(ScreenTest, PngRoundTripKeepsEveryPixel) {
    xphost::Image image;
    image.Width = 3;
    image.Height = 2;
    for (int i = 0; i < 24; ++i)
        image.Rgba.push_back(static_cast<std::uint8_t>(i * 10 + 5));
    const std::string path = plotwright_test::makeTempFolder("png") + "round.png";
    std::string error;
    ASSERT_TRUE(xphost::writePng(image, path, &error)) << error;
    xphost::Image back;
    ASSERT_TRUE(xphost::readPng(path, &back, &error)) << error;
    EXPECT_EQ(back.Width, 3);
    EXPECT_EQ(back.Height, 2);
    EXPECT_EQ(back.Rgba, image.Rgba);

    EXPECT_FALSE(xphost::readPng(path + ".missing", &back, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    plotwright_test::writeFile(path + ".txt", "not a picture");
    EXPECT_FALSE(xphost::readPng(path + ".txt", &back, &error));
    EXPECT_FALSE(xphost::writePng(image, path + "/no/such/folder.png", &error));
    image.Rgba.pop_back();
    EXPECT_FALSE(xphost::writePng(image, path, &error));
}

// --- a sample window for a reviewer to look at ----------------------------------------------

int sampleGraph(XPWidgetMessage message, XPWidgetID widget, intptr_t, intptr_t) {
    if (message != xpMsg_Draw) return 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    XPGetWidgetGeometry(widget, &left, &top, &right, &bottom);
    XPLMDrawTranslucentDarkBox(left, top, right, bottom);
    XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_POLYGON);
    glVertex2i(left, top);
    glVertex2i(right, top);
    glVertex2i(right, bottom);
    glVertex2i(left, bottom);
    glEnd();
    glColor3f(0.5f, 0.5f, 0.5f);
    for (int y = bottom; y < top; y += 20) {
        glBegin(GL_LINES);
        glVertex2i(left, y);
        glVertex2i(right, y);
        glEnd();
    }
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (int x = left; x <= right; ++x)
        glVertex2f(static_cast<float>(x),
                   static_cast<float>((top + bottom) / 2 + 40 * std::sin((x - left) / 25.0)));
    glEnd();
    XPDrawTrack(left, bottom + 20, right, bottom, 0, 1000, 700, xpTrack_ScrollBar, 0);
    return 1;
}

TEST_F(ScreenTest, SampleWindowScreenshot) {
    xphost::setScreenSize(520, 380);
    XPWidgetID back =
        XPCreateWidget(300, 370, 510, 250, 1, "Behind", 1, nullptr, xpWidgetClass_MainWindow);
    XPWidgetID window = XPCreateWidget(10, 360, 460, 20, 1, "Plotwright 1.40 sample window", 1,
                                       nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, 1);
    XPCreateCustomWidget(20, 330, 400, 170, 1, "", 0, window, sampleGraph);
    const char *labels[] = {"-50", "0", "50"};
    for (int k = 0; k < 3; ++k)
        XPCreateWidget(405, 192 + 60 * k, 455, 170 + 60 * k, 1, labels[k], 0, window,
                       xpWidgetClass_Caption);
    XPCreateWidget(20, 162, 120, 140, 1, "DR1 - Red", 0, window, xpWidgetClass_Caption);
    XPWidgetID lit =
        XPCreateWidget(130, 162, 230, 140, 1, "Lit caption", 0, window, xpWidgetClass_Caption);
    XPSetWidgetProperty(lit, xpProperty_CaptionLit, 1);
    const char *buttons[] = {" Record", " Stop", " Clear", " Export"};
    for (int k = 0; k < 4; ++k)
        XPCreateWidget(20 + 60 * k, 130, 70 + 60 * k, 100, 1, buttons[k], 0, window,
                       xpWidgetClass_Button);
    XPWidgetID panel = XPCreateWidget(20, 92, 450, 30, 1, "", 0, window, xpWidgetClass_SubWindow);
    XPWidgetID check =
        XPCreateWidget(30, 80, 160, 64, 1, "Enabled", 0, panel, xpWidgetClass_Button);
    XPSetWidgetProperty(check, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(check, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    XPSetWidgetProperty(check, xpProperty_ButtonState, 1);
    XPWidgetID off = XPCreateWidget(30, 58, 160, 42, 1, "Disabled", 0, panel, xpWidgetClass_Button);
    XPSetWidgetProperty(off, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(off, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    XPWidgetID field = XPCreateWidget(180, 80, 440, 60, 1, "sim/flightmodel/position/", 0, panel,
                                      xpWidgetClass_TextField);
    XPCreateWidget(180, 54, 300, 36, 1, "1.0", 0, panel, xpWidgetClass_TextField);
    xphost::clickWidget(field);
    xphost::typeText("indicated_airspeed");
    ASSERT_EQ(xphost::rootWidgets().back(), window);
    (void)back;

    const xphost::Image screen = xphost::captureScreen();
    const std::filesystem::path folder = PLOTWRIGHT_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    std::string error;
    ASSERT_TRUE(xphost::writePng(screen, (folder / "host_sample_window.png").string(), &error))
        << error;
    // The title bar is there, with its text, and the graph is black where nothing is drawn.
    EXPECT_TRUE(isRgb(screen.at(400, 350), 51, 82, 128, 3));
    EXPECT_TRUE(isRgb(screen.at(25, 320), 0, 0, 0, 1));
}

} // namespace
