// The screen: an offscreen OpenGL compatibility-profile context made through EGL on Mesa's
// surfaceless platform, rendering into a framebuffer object of the screen's size, and the
// frame loop that draws the widget tree into it.
//
// Choices where the simulator's behaviour is not documented:
// - The projection maps integer coordinate (x, y) onto the centre of pixel (x, y), origin at the
//   bottom left: an orthographic projection over the screen's pixels shifted by 0.375 pixel, so
//   lines and points drawn at integer coordinates land on exactly one pixel row or column.
// - Before every widget's paint the host restores that projection, and nothing else: as in the
//   simulator, a widget's draw inherits the graphics state whatever drew before it left. Each
//   frame starts from a hostile state (texturing on with a texture bound, blending on, an odd
//   colour), so a custom widget that set its state once, at creation, draws wrongly from the
//   first frame on rather than only behind another plug-in's drawing.
// - A widget that handles xpMsg_Paint draws its children itself; otherwise the host sends
//   xpMsg_Draw and then paints the visible children in creation order (the last on top).
// - GL errors raised while a widget paints are host errors naming the widget, and so is a
//   glBegin left open (the host closes it, so the rest of the frame draws); errors found at
//   the start of a frame were raised by GL calls made outside any frame and are host errors too.
// - The context is made on first use and kept for the life of the process; resetHost restores
//   the default screen size and forgets the frame state.
// - Mesa's software rasterizer draws on the host's own thread: before the driver loads, the host
//   asks for no rasterizer threads (LP_NUM_THREADS=0) and no shader disk cache (whose writer is
//   a thread too, and whose files every test process would share), unless the environment
//   already says otherwise. LeakSanitizer's exit-time check stops and scans every thread of the
//   process; with five driver threads parked at exit it crashed once in a few hundred runs, and
//   now it finds the host's own thread only. The pixels are the same.
// - The windows of a disabled plug-in are not drawn: a disabled plug-in gets no callbacks.
// - Pictures of rectangles reaching beyond the screen are of the full requested size; the part
//   off the screen is transparent black.
// - A picture the process has no memory for is a host error naming its size, and the capture
//   gives an empty picture: the host goes on, as the simulator goes on when a plug-in's request
//   cannot be met.
#include "xphost/screen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host_internal.h"
#include "ui_draw.h"
#include "widget_dispatch.h"
#include "widget_tree.h"
#include "xphost/host.h"

namespace xphost {
namespace {

// Stops a widget that raises errors without end from stalling the frame.
constexpr int kMostErrorsPerCheck = 16;

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
};

class GraphicsContext {
public:
    // At process exit the context is left to the system: terminating the display unloads the
    // GL driver, and the leak checker that runs after us could then no longer name (and excuse)
    // the memory the driver keeps for the life of the process.
    ~GraphicsContext() = default;

    bool ensure(int width, int height, std::string *error) {
        if (failed_) return fail(error, failure_);
        if (context_ == EGL_NO_CONTEXT && !create()) return fail(error, failure_);
        if (eglGetCurrentContext() != context_ &&
            !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
            return fail(error, "eglMakeCurrent failed");
        if (width != width_ || height != height_) {
            if (!makeFramebuffer(width, height)) return fail(error, failure_);
        }
        gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        return true;
    }

    bool current() const {
        return context_ != EGL_NO_CONTEXT && eglGetCurrentContext() == context_;
    }

private:
    static bool fail(std::string *error, const std::string &why) {
        if (error != nullptr) *error = why;
        return false;
    }

    bool giveUp(const std::string &why) {
        failed_ = true;
        failure_ = why;
        return false;
    }

    static void keepDriverOnThisThread() {
        setenv("LP_NUM_THREADS", "0", 0);
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    }

    bool create() {
        keepDriverOnThisThread();
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay != nullptr)
            display_ =
                getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display_ == EGL_NO_DISPLAY) display_ = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (display_ == EGL_NO_DISPLAY) return giveUp("no EGL display (is Mesa installed?)");
        EGLint major = 0, minor = 0;
        if (!eglInitialize(display_, &major, &minor)) {
            display_ = EGL_NO_DISPLAY;
            return giveUp("eglInitialize failed (is Mesa's EGL installed?)");
        }
        if (!eglBindAPI(EGL_OPENGL_API)) return giveUp("EGL cannot bind desktop OpenGL");
        const EGLint configAttributes[] = {EGL_RED_SIZE,
                                           8,
                                           EGL_GREEN_SIZE,
                                           8,
                                           EGL_BLUE_SIZE,
                                           8,
                                           EGL_ALPHA_SIZE,
                                           8,
                                           EGL_RENDERABLE_TYPE,
                                           EGL_OPENGL_BIT,
                                           EGL_SURFACE_TYPE,
                                           EGL_PBUFFER_BIT,
                                           EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(display_, configAttributes, &config, 1, &count) || count < 1)
            return giveUp("no EGL configuration for desktop OpenGL with 8-bit RGBA");
        const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                            EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, contextAttributes);
        if (context_ == EGL_NO_CONTEXT)
            return giveUp("cannot create an OpenGL compatibility-profile context");
        if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
            return giveUp("cannot make the context current without a surface");
        if (!loadFramebufferFunctions()) return giveUp("OpenGL lacks framebuffer objects");
        return true;
    }

    template <typename Function> bool load(Function &slot, const char *name) {
        slot = reinterpret_cast<Function>(eglGetProcAddress(name));
        return slot != nullptr;
    }

    bool loadFramebufferFunctions() {
        return load(gl_.genFramebuffers, "glGenFramebuffers") &&
               load(gl_.deleteFramebuffers, "glDeleteFramebuffers") &&
               load(gl_.bindFramebuffer, "glBindFramebuffer") &&
               load(gl_.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               load(gl_.checkFramebufferStatus, "glCheckFramebufferStatus") &&
               load(gl_.genRenderbuffers, "glGenRenderbuffers") &&
               load(gl_.deleteRenderbuffers, "glDeleteRenderbuffers") &&
               load(gl_.bindRenderbuffer, "glBindRenderbuffer") &&
               load(gl_.renderbufferStorage, "glRenderbufferStorage");
    }

    void deleteFramebuffer() {
        if (framebuffer_ != 0) gl_.deleteFramebuffers(1, &framebuffer_);
        if (renderbuffers_[0] != 0) gl_.deleteRenderbuffers(2, renderbuffers_);
        framebuffer_ = 0;
        renderbuffers_[0] = renderbuffers_[1] = 0;
        width_ = height_ = 0;
    }

    bool makeFramebuffer(int width, int height) {
        deleteFramebuffer();
        gl_.genFramebuffers(1, &framebuffer_);
        gl_.genRenderbuffers(2, renderbuffers_);
        gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        gl_.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
        gl_.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        gl_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                    renderbuffers_[0]);
        gl_.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
        gl_.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        gl_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                    renderbuffers_[1]);
        if (gl_.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            deleteFramebuffer();
            failure_ = "cannot make a " + std::to_string(width) + " x " + std::to_string(height) +
                       " framebuffer";
            return false;
        }
        width_ = width;
        height_ = height;
        while (glGetError() != GL_NO_ERROR) {
        }
        return true;
    }

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    FramebufferFunctions gl_;
    GLuint framebuffer_ = 0;
    GLuint renderbuffers_[2] = {0, 0};
    int width_ = 0;
    int height_ = 0;
    bool failed_ = false;
    std::string failure_;
};

struct Screen {
    GraphicsContext graphics;
};

Screen &screen() {
    static Screen instance;
    return instance;
}

const char *glErrorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "unknown GL error";
    }
}

// Reports the pending GL errors, if any, as one host error.
void reportGlErrors(const std::string &where) {
    std::string names;
    for (int i = 0; i < kMostErrorsPerCheck; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        names += names.empty() ? "" : ", ";
        names += glErrorName(error);
    }
    if (!names.empty()) reportHostError(names + " " + where);
}

// A widget that returns with a glBegin still open would make every later state call of the
// frame fail. Queries are refused between glBegin and glEnd (the value is left unwritten), which
// tells the two apart without relying on the error flags the widget may have set.
bool closeOpenPrimitive() {
    GLint mode = -1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode != -1) return false;
    glEnd();
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
}

std::string describeWidget(XPWidgetID id) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", id);
    const internal::Widget *widget = internal::findWidget(id);
    return std::string("widget ") + text + " \"" + (widget ? widget->descriptor : "") + "\"";
}

void setProjection() {
    const int width = screenWidth(), height = screenHeight();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.375f, 0.375f, 0.0f);
}

void checkAfterDraw(XPWidgetID id, const char *what) {
    if (closeOpenPrimitive())
        reportHostError(describeWidget(id) + " " + what + " and left a glBegin without glEnd");
    reportGlErrors("while " + describeWidget(id) + " " + what);
}

void paintWidget(XPWidgetID id) {
    const internal::Widget *widget = internal::findWidget(id);
    if (widget == nullptr || !widget->shown || widget->dying) return;
    setProjection();
    const bool painted = internal::sendToWidget(id, xpMsg_Paint, 0, 0) != 0;
    checkAfterDraw(id, "painted");
    if (painted) return;
    setProjection();
    internal::sendToWidget(id, xpMsg_Draw, 0, 0);
    checkAfterDraw(id, "drew");
    widget = internal::findWidget(id);
    if (widget == nullptr) return;
    for (XPWidgetID child : std::vector<XPWidgetID>(widget->children))
        paintWidget(child);
}

// Copies the rectangle's pixels, edges included, top row first.
Image readPixels(const WidgetRect &rect) {
    Image image;
    if (rect.Right < rect.Left || rect.Top < rect.Bottom) {
        reportHostError("capture: empty rectangle");
        return image;
    }
    image.Width = rect.Right - rect.Left + 1;
    image.Height = rect.Top - rect.Bottom + 1;
    image.Rgba.assign(static_cast<std::size_t>(image.Width) * image.Height * 4, 0);
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, screenWidth() - 1);
    const int bottom = std::max(rect.Bottom, 0), top = std::min(rect.Top, screenHeight() - 1);
    if (left > right || bottom > top) return image;
    const int width = right - left + 1;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * (top - bottom + 1) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, bottom, width, top - bottom + 1, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    reportGlErrors("while reading the screen back");
    for (int y = bottom; y <= top; ++y) {
        const std::uint8_t *source = &rows[static_cast<std::size_t>(y - bottom) * width * 4];
        const int row = rect.Top - y;
        std::uint8_t *target =
            &image.Rgba[(static_cast<std::size_t>(row) * image.Width + (left - rect.Left)) * 4];
        std::memcpy(target, source, static_cast<std::size_t>(width) * 4);
    }
    return image;
}

} // namespace

bool ensureGraphics(std::string *error) {
    return screen().graphics.ensure(screenWidth(), screenHeight(), error);
}

void drawFrame() {
    if (internal::frameOpen()) {
        reportHostError("drawFrame: called from inside a frame");
        return;
    }
    std::string error;
    if (!ensureGraphics(&error)) {
        reportHostError("drawFrame: no OpenGL: " + error);
        return;
    }
    reportGlErrors("raised by GL calls made outside a frame");
    setProjection();
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.23f, 0.27f, 0.31f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    internal::applyFrameStartState();
    internal::setFrameOpen(true);
    for (XPWidgetID root : std::vector<XPWidgetID>(internal::rootOrder())) {
        const internal::Widget *widget = internal::findWidget(root);
        if (widget != nullptr && internal::ownerEnabled(*widget)) paintWidget(root);
    }
    internal::setFrameOpen(false);
}

Image captureScreen() {
    return captureRect(WidgetRect{0, screenHeight() - 1, screenWidth() - 1, 0});
}

Image captureRect(const WidgetRect &rect) {
    drawFrame();
    if (!screen().graphics.current()) return {};
    try {
        return readPixels(rect);
    } catch (const std::bad_alloc &) {
        reportHostError("capture: out of memory for a " +
                        std::to_string(static_cast<long long>(rect.Right) - rect.Left + 1) + " x " +
                        std::to_string(static_cast<long long>(rect.Top) - rect.Bottom + 1) +
                        " picture");
        return {};
    }
}

Image captureWindow(XPWidgetID window) {
    const internal::Widget *widget = internal::requireWidget(window, "captureWindow");
    if (widget == nullptr) return {};
    return captureRect(WidgetRect{widget->left, widget->top, widget->right, widget->bottom});
}

namespace internal {

bool graphicsContextCurrent() { return screen().graphics.current(); }

void resetScreen() {
    setFrameOpen(false);
    resetScreenSize();
}

} // namespace internal
} // namespace xphost
