#pragma once
// The start-up sequence: from the process's main routine to the event loop and back.
// `main` runs RuntimeInit, initialize, _Main, finalize and returns RuntimeExit's status.

// Builds the class tables: the framework's, then the program's own (VELMO, its timer
// class, App), each exactly once.
void initialize();
// Start-up and the event loop; the one place that catches: an exception that escapes
// goes to _UnhandledException and the process still finalises and exits.
void _Main();
// The start-up routine the framework calls back once while it initialises.
void _Startup();
void _InitPluginEntrypoints();
void _InitFileTypes();
void _ApplicationAddMenuHandlers();
// Opens the main window (the accessor creates it on first use).
void _MakeDefaultView();
// Releases the framework's module-level objects.
void finalize();
