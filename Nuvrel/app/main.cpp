#include "app/nuvrel_app.h"
#include "shell/resources.h"

int main(int argc, char** argv) {
    nuvrel::initResources();
    nuvrel::CNuvrelApp app(argc, argv);
    return app.run();
}
