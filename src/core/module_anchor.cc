// The module is made of plotwright_core whole; this file only gives the target a source.
