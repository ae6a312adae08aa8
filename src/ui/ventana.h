// The program with its window: the main window, the tray and the event loop.
#pragma once

// Creates the application, Form1 and the Qt window port, runs the start-up, then the event loop. Returns the
// exit status: 0 after a normal end, 1 when start-up ended the program.
int EjecutaVentana(int argc, char** argv);
