// SPDX-License-Identifier: MIT
#include "app/zabrelapp.h"

int main(int argc, char** argv) {
    CZabrelApp app(argc, argv);
    return app.initInstance();
}
