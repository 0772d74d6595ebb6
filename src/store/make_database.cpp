// Build step: writes an empty spider.mdb with the schema at the given path unless one is there.
#include "store/Database.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <path of spider.mdb>\n", argv[0]);
        return 2;
    }
    tarnwick::Database database(argv[1]);
    if (!database.EnsureExists()) {
        std::fprintf(stderr, "%s: cannot create or open %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
