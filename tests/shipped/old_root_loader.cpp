// Runs the shipped lin.xpl inside the Debian 11 root, the oldest system it must load on. It is
// not the headless host (that one needs a newer system than the module does): it offers the
// module every simulator function it imports, keeps just enough of menus, widgets, datarefs and
// the flight loop for a start, the three windows, a recording, an export and a stop, and checks
// what it can see from outside.
//   old_root_loader MODULE INSTALL_ROOT/
// Every dataref whose name starts with "sim/" exists, is a float and reads the number of
// flight-loop calls made so far. The simulator's log is INSTALL_ROOT/Log.txt. Prints what it
// saw; exits 1 when a check fails.
#include <dlfcn.h>
#include <gnu/libc-version.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMGraphics.h"
#include "XPLMMenus.h"
#include "XPLMPlugin.h"
#include "XPLMProcessing.h"
#include "XPLMUtilities.h"
#include "XPStandardWidgets.h"
#include "XPUIGraphics.h"
#include "XPWidgetUtils.h"
#include "XPWidgets.h"

namespace {

int gFailures = 0;
void fail(const std::string &what) {
    std::printf("FAILED: %s\n", what.c_str());
    ++gFailures;
}

std::string gRoot;
float gTicks = 0;

struct Menu {
    std::string Name;
    XPLMMenuHandler_f Handler = nullptr;
    std::vector<std::pair<std::string, void *>> Items;
    bool Destroyed = false;
};
std::vector<Menu> gMenus(1, Menu{"Plugins", nullptr, {}, false}); // menu ids are index + 1

struct Widget {
    int Rect[4] = {};
    bool Visible = false;
    bool Destroyed = false;
    std::string Descriptor;
    XPWidgetClass Class = xpWidgetClass_None;
    XPWidgetID Parent = nullptr;
    XPWidgetFunc_t Function = nullptr;
    std::vector<XPWidgetFunc_t> Callbacks; // newest last
    std::map<XPWidgetPropertyID, intptr_t> Properties;
};
std::vector<Widget> gWidgets; // widget ids are index + 1

XPLMFlightLoop_f gFlightLoop = nullptr;
// Commands by name; a command's reference is its index + 1. Its handlers, in registration order.
std::vector<std::pair<std::string, std::vector<XPLMCommandCallback_f>>> gCommands;
std::set<std::string> gFoundDataRefs;

Widget *widget(XPWidgetID id) {
    const auto index = reinterpret_cast<std::size_t>(id);
    if (index == 0 || index > gWidgets.size() || gWidgets[index - 1].Destroyed) {
        fail("a call on an unknown or destroyed widget");
        return nullptr;
    }
    return &gWidgets[index - 1];
}

int dispatch(XPWidgetID id, XPWidgetMessage message, intptr_t param1, intptr_t param2) {
    // Copies: a callback may create widgets and move the table.
    const std::vector<XPWidgetFunc_t> callbacks =
        gWidgets[reinterpret_cast<std::size_t>(id) - 1].Callbacks;
    const XPWidgetFunc_t function = gWidgets[reinterpret_cast<std::size_t>(id) - 1].Function;
    for (auto it = callbacks.rbegin(); it != callbacks.rend(); ++it)
        if ((*it)(message, id, param1, param2) != 0) return 1;
    return function != nullptr ? function(message, id, param1, param2) : 0;
}

XPWidgetID newWidget(int left, int top, int right, int bottom, int visible, const char *text,
                     XPWidgetID container, XPWidgetClass cls, XPWidgetFunc_t function) {
    Widget made;
    made.Rect[0] = left, made.Rect[1] = top, made.Rect[2] = right, made.Rect[3] = bottom;
    made.Visible = visible != 0;
    made.Descriptor = text != nullptr ? text : "";
    made.Class = cls;
    made.Parent = container;
    made.Function = function;
    gWidgets.push_back(made);
    const auto id = reinterpret_cast<XPWidgetID>(gWidgets.size());
    if (function != nullptr) function(xpMsg_Create, id, 0, 0);
    return id;
}

XPWidgetID findWidget(const char *descriptor) {
    for (std::size_t i = 0; i < gWidgets.size(); ++i)
        if (!gWidgets[i].Destroyed && gWidgets[i].Descriptor == descriptor)
            return reinterpret_cast<XPWidgetID>(i + 1);
    return nullptr;
}

// A click on a push button, as the widget library reports it: to the button, then up its
// parents until one handles it.
void pressButton(const char *label) {
    XPWidgetID button = findWidget(label);
    if (button == nullptr) return fail(std::string("no button \"") + label + "\"");
    for (XPWidgetID at = button; at != nullptr;
         at = gWidgets[reinterpret_cast<std::size_t>(at) - 1].Parent)
        if (dispatch(at, xpMsg_PushButtonPressed, reinterpret_cast<intptr_t>(button), 0)) return;
}

std::string readText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

// The simulator's functions the module imports.
void XPLMGetSystemPath(char *outSystemPath) { std::strcpy(outSystemPath, gRoot.c_str()); }
const char *XPLMGetDirectorySeparator(void) { return "/"; }
void XPLMDebugString(const char *inString) {
    std::FILE *log = std::fopen((gRoot + "Log.txt").c_str(), "ab");
    if (log != nullptr) std::fputs(inString, log), std::fclose(log);
}
// A simulator of version 11: native paths, but no notice of new datarefs.
int XPLMHasFeature(const char *inFeature) {
    return std::strcmp(inFeature, "XPLM_USE_NATIVE_PATHS") == 0 ? 1 : 0;
}
int XPLMIsFeatureEnabled(const char *inFeature) { return XPLMHasFeature(inFeature); }
void XPLMEnableFeature(const char *, int) {}
XPLMMenuID XPLMFindPluginsMenu(void) { return reinterpret_cast<XPLMMenuID>(1); }
int XPLMAppendMenuItem(XPLMMenuID inMenu, const char *inItemName, void *inItemRef, int) {
    Menu &menu = gMenus.at(reinterpret_cast<std::size_t>(inMenu) - 1);
    menu.Items.emplace_back(inItemName, inItemRef);
    return static_cast<int>(menu.Items.size()) - 1;
}
XPLMMenuID XPLMCreateMenu(const char *inName, XPLMMenuID, int, XPLMMenuHandler_f inHandler,
                          void *) {
    gMenus.push_back(Menu{inName, inHandler, {}, false});
    return reinterpret_cast<XPLMMenuID>(gMenus.size());
}
void XPLMDestroyMenu(XPLMMenuID inMenuID) {
    gMenus.at(reinterpret_cast<std::size_t>(inMenuID) - 1).Destroyed = true;
}
XPLMCommandRef XPLMFindCommand(const char *inName) {
    for (std::size_t i = 0; i < gCommands.size(); ++i)
        if (gCommands[i].first == inName) return reinterpret_cast<XPLMCommandRef>(i + 1);
    return nullptr;
}
XPLMCommandRef XPLMCreateCommand(const char *inName, const char *) {
    if (XPLMCommandRef found = XPLMFindCommand(inName)) return found;
    gCommands.emplace_back(inName, std::vector<XPLMCommandCallback_f>{});
    return reinterpret_cast<XPLMCommandRef>(gCommands.size());
}
void XPLMRegisterCommandHandler(XPLMCommandRef inCommand, XPLMCommandCallback_f inHandler, int,
                                void *) {
    gCommands.at(reinterpret_cast<std::size_t>(inCommand) - 1).second.push_back(inHandler);
}
void XPLMUnregisterCommandHandler(XPLMCommandRef inCommand, XPLMCommandCallback_f inHandler, int,
                                  void *) {
    auto &handlers = gCommands.at(reinterpret_cast<std::size_t>(inCommand) - 1).second;
    for (auto it = handlers.begin(); it != handlers.end(); ++it)
        if (*it == inHandler) return void(handlers.erase(it));
    fail("a command handler unregistered that was never registered");
}
void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float, void *) {
    gFlightLoop = inFlightLoop;
}
void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void *) {
    if (gFlightLoop == inFlightLoop) gFlightLoop = nullptr;
}
XPLMDataRef XPLMFindDataRef(const char *inDataRefName) {
    if (std::strncmp(inDataRefName, "sim/", 4) != 0) return nullptr;
    return reinterpret_cast<XPLMDataRef>(
        const_cast<char *>(gFoundDataRefs.insert(inDataRefName).first->c_str()));
}
int XPLMIsDataRefGood(XPLMDataRef inDataRef) { return inDataRef != nullptr ? 1 : 0; }
XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef) { return xplmType_Float; }
int XPLMGetDatai(XPLMDataRef) { return 0; }
float XPLMGetDataf(XPLMDataRef) { return gTicks; }
double XPLMGetDatad(XPLMDataRef) { return 0; }
int XPLMGetDatavi(XPLMDataRef, int *, int, int) { return 0; }
int XPLMGetDatavf(XPLMDataRef, float *, int, int) { return 0; }
int XPLMGetDatab(XPLMDataRef, void *, int, int) { return 0; }
void XPLMSetGraphicsState(int, int, int, int, int, int, int) {}
void XPLMDrawTranslucentDarkBox(int, int, int, int) {}

XPWidgetID XPCreateWidget(int inLeft, int inTop, int inRight, int inBottom, int inVisible,
                          const char *inDescriptor, int, XPWidgetID inContainer,
                          XPWidgetClass inClass) {
    return newWidget(inLeft, inTop, inRight, inBottom, inVisible, inDescriptor, inContainer,
                     inClass, nullptr);
}
XPWidgetID XPCreateCustomWidget(int inLeft, int inTop, int inRight, int inBottom, int inVisible,
                                const char *inDescriptor, int, XPWidgetID inContainer,
                                XPWidgetFunc_t inCallback) {
    return newWidget(inLeft, inTop, inRight, inBottom, inVisible, inDescriptor, inContainer,
                     xpWidgetClass_None, inCallback);
}
void XPDestroyWidget(XPWidgetID inWidget, int inDestroyChildren) {
    if (widget(inWidget) == nullptr) return;
    for (std::size_t i = 0; i < gWidgets.size(); ++i) {
        if (gWidgets[i].Destroyed || gWidgets[i].Parent != inWidget) continue;
        if (inDestroyChildren)
            XPDestroyWidget(reinterpret_cast<XPWidgetID>(i + 1), 1);
        else
            gWidgets[i].Parent = nullptr;
    }
    const std::vector<XPWidgetFunc_t> callbacks = widget(inWidget)->Callbacks;
    for (XPWidgetFunc_t callback : callbacks)
        callback(xpMsg_Destroy, inWidget, 0, 0);
    if (XPWidgetFunc_t function = widget(inWidget)->Function)
        function(xpMsg_Destroy, inWidget, 0, 0);
    widget(inWidget)->Destroyed = true;
}
void XPShowWidget(XPWidgetID inWidget) {
    if (Widget *w = widget(inWidget)) w->Visible = true;
}
void XPHideWidget(XPWidgetID inWidget) {
    if (Widget *w = widget(inWidget)) w->Visible = false;
}
int XPIsWidgetVisible(XPWidgetID inWidget) {
    for (XPWidgetID at = inWidget; at != nullptr;) {
        Widget *w = widget(at);
        if (w == nullptr || !w->Visible) return 0;
        at = w->Parent;
    }
    return 1;
}
void XPSetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty, intptr_t inValue) {
    if (Widget *w = widget(inWidget)) {
        w->Properties[inProperty] = inValue;
        dispatch(inWidget, xpMsg_PropertyChanged, inProperty, inValue);
    }
}
intptr_t XPGetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty, int *inExists) {
    Widget *w = widget(inWidget);
    const bool exists = w != nullptr && w->Properties.count(inProperty) != 0;
    if (inExists != nullptr) *inExists = exists ? 1 : 0;
    return exists ? w->Properties[inProperty] : 0;
}
void XPSetWidgetDescriptor(XPWidgetID inWidget, const char *inDescriptor) {
    if (Widget *w = widget(inWidget)) w->Descriptor = inDescriptor;
}
int XPGetWidgetDescriptor(XPWidgetID inWidget, char *outDescriptor, int inMaxDescLength) {
    Widget *w = widget(inWidget);
    if (w == nullptr) return 0;
    if (outDescriptor != nullptr && inMaxDescLength > 0)
        std::strncpy(outDescriptor, w->Descriptor.c_str(),
                     static_cast<std::size_t>(inMaxDescLength));
    return static_cast<int>(w->Descriptor.size());
}
void XPGetWidgetGeometry(XPWidgetID inWidget, int *outLeft, int *outTop, int *outRight,
                         int *outBottom) {
    Widget *w = widget(inWidget);
    int *outs[4] = {outLeft, outTop, outRight, outBottom};
    for (int i = 0; i < 4; ++i)
        if (outs[i] != nullptr) *outs[i] = w != nullptr ? w->Rect[i] : 0;
}
void XPAddWidgetCallback(XPWidgetID inWidget, XPWidgetFunc_t inNewCallback) {
    if (Widget *w = widget(inWidget)) {
        w->Callbacks.push_back(inNewCallback);
        inNewCallback(xpMsg_Create, inWidget, 1, 0);
    }
}
int XPUSelectIfNeeded(XPWidgetMessage, XPWidgetID, intptr_t, intptr_t, int) { return 0; }
void XPGetTrackMetrics(int, int, int, int, int, int, int, XPTrackStyle, int *outIsVertical,
                       int *outDownBtnSize, int *outDownPageSize, int *outThumbSize,
                       int *outUpPageSize, int *outUpBtnSize) {
    for (int *out : {outIsVertical, outDownBtnSize, outDownPageSize, outThumbSize, outUpPageSize,
                     outUpBtnSize})
        if (out != nullptr) *out = 0;
}
void XPDrawTrack(int, int, int, int, int, int, int, XPTrackStyle, int) {}

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s MODULE INSTALL_ROOT/\n", argv[0]);
        return 2;
    }
    gRoot = argv[2];
    std::printf("C library: %s\n", gnu_get_libc_version());
    void *module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::printf("FAILED: dlopen: %s\n", dlerror());
        return 1;
    }
    using Start = int (*)(char *, char *, char *);
    using Stop = void (*)();
    using Enable = int (*)();
    using Disable = void (*)();
    const auto start = reinterpret_cast<Start>(dlsym(module, "XPluginStart"));
    const auto stop = reinterpret_cast<Stop>(dlsym(module, "XPluginStop"));
    const auto enable = reinterpret_cast<Enable>(dlsym(module, "XPluginEnable"));
    const auto disable = reinterpret_cast<Disable>(dlsym(module, "XPluginDisable"));
    if (!start || !stop || !enable || !disable || !dlsym(module, "XPluginReceiveMessage")) {
        std::printf("FAILED: an entry point is missing\n");
        return 1;
    }

    char name[256] = {}, signature[256] = {}, description[256] = {};
    if (start(name, signature, description) != 1) fail("XPluginStart did not return 1");
    std::printf("identity: %s | %s | %s\n", name, signature, description);
    if (std::string(name) != "Plotwrite" ||
        std::string(signature) != "quillanhurst.projects.plotwrite")
        fail("the identity handed to the simulator");
    if (enable() != 1) fail("XPluginEnable did not return 1");
    if (gFlightLoop == nullptr) fail("no flight-loop callback registered");

    if (gMenus.size() != 2 || gMenus[0].Items.size() != 1 || gMenus[1].Name != "Plotwrite")
        return fail("the Plugins menu entry"), 1;
    std::printf("menu:");
    for (const auto &item : gMenus[1].Items)
        std::printf(" \"%s\"", item.first.c_str());
    std::printf("\n");
    if (gMenus[1].Items.size() != 3) fail("three menu items");
    for (const auto &item : gMenus[1].Items)
        gMenus[1].Handler(nullptr, item.second);
    int windows = 0;
    for (const Widget &w : gWidgets)
        if (w.Class == xpWidgetClass_MainWindow && w.Parent == nullptr && w.Visible) ++windows;
    std::printf("windows: %d visible, %zu widgets\n", windows, gWidgets.size());
    if (windows != 3) fail("three visible windows");

    std::printf("datarefs found:");
    for (const std::string &found : gFoundDataRefs)
        std::printf(" %s", found.c_str());
    std::printf("\n");

    const int kTicks = 300;
    pressButton(" Record");
    for (int counter = 1; counter <= kTicks && gFlightLoop != nullptr; ++counter) {
        gTicks = static_cast<float>(counter);
        const float next = gFlightLoop(0.01f, 0.01f, counter, nullptr);
        if (next != 0.01f)
            fail("the flight loop asks for the next call after " + std::to_string(next));
    }
    pressButton(" Stop");
    pressButton(" Export");
    // The export is written on the module's own thread; disabling the plug-in waits for it, and
    // shows that the writer's thread runs on this C library.
    disable();
    if (enable() != 1) fail("XPluginEnable after the export did not return 1");

    const std::string csv = readText(gRoot + "Resources/plugins/Plotwright/Plotwright1.csv");
    std::istringstream rows(csv);
    std::string row, last;
    int count = 0;
    while (std::getline(rows, row)) {
        ++count;
        int commas = 0;
        for (char c : row)
            commas += c == ',';
        if (commas != 7) fail("export row " + std::to_string(count) + " holds no 8 values: " + row);
        last = row;
    }
    std::printf("export: %d rows, last: %s\n", count, last.c_str());
    if (count != kTicks) fail("one exported row per recorded flight-loop call");

    disable();
    stop();
    if (gFlightLoop != nullptr) fail("the flight loop is still registered after XPluginStop");
    std::printf("commands: %zu\n", gCommands.size());
    if (gCommands.empty()) fail("no command created");
    for (const auto &command : gCommands)
        if (!command.second.empty()) fail(command.first + " keeps a handler after XPluginStop");
    if (!gMenus[1].Destroyed) fail("the menu outlives XPluginStop");
    std::size_t alive = 0;
    for (const Widget &w : gWidgets)
        alive += !w.Destroyed;
    if (alive != 0) fail(std::to_string(alive) + " widgets outlive XPluginStop");
    if (dlclose(module) != 0) fail(std::string("dlclose: ") + dlerror());
    std::printf("%s\n", gFailures == 0 ? "passed" : "failed");
    return gFailures == 0 ? 0 : 1;
}
