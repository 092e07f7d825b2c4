// ledsuite: starts the application.
#include "shell/zu_app.h"

int main(int argc, char** argv) {
    ledsuite::CZUApp app(argc, argv);
    return app.Run();
}
