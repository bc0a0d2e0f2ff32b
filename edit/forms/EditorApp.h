// GDLEdit's windowed program: the application, the real ports and the
// project window.
#pragma once

int RunEditorGui(int argc, char** argv);
