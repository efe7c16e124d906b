#pragma once

class mdiTarvo;

// Start of the program: application title and globals, then the main window
// shown modeless. Returns the main window (the default instance of mdiTarvo).
mdiTarvo &Main();
