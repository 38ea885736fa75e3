/* XPWidgets_64.dll of the Windows host has no code: its .def file forwards every widget-library
   function to XPLM_64.dll, which holds the whole host. The library needs one source file. */
typedef int xphost_widgets_forwards_only;
