// The module is made of plotwright_core whole; this file gives the target a source, and what
// belongs to the module itself rather than to the plug-in's code.

#if defined(PLOTWRIGHT_OWN_CXX_RUNTIME)
namespace __gnu_cxx {
void __freeres() throw();
} // namespace __gnu_cxx

// The C++ runtime carried inside the module sets aside a pool for exceptions thrown when memory
// is short, about 71 KiB, and never gives it back: every time the simulator unloaded and
// reloaded the plug-in, one pool was left behind. It goes when the module is unloaded.
__attribute__((destructor)) static void releaseOwnCxxRuntime() { __gnu_cxx::__freeres(); }
#endif
