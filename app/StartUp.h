#pragma once

class QApplication;

// What the whole run shares before the first window: the application title (by which a
// running instance is found), the program icon on every window, Qt's own texts in Chinese.
void setUpApplication(QApplication &application);

// The start-up sequence and the event loop; returns the program's exit code.
int runProgram(int argc, char **argv);
