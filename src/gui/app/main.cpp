#include "gui/app/hid_mouse_app.h"

int main(int argc, char** argv) { return hm::CHidMouseApp::run(argc, argv); }
