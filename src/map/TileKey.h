#pragma once

#include <QHashFunctions>

// One square of the XYZ tile grid: zoom level z, column x, row y, each of
// x and y in [0, 2^z).
struct TileKey {
    int z = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const TileKey&, const TileKey&) = default;

    bool isValid() const {
        if (z < 0 || z > 22)
            return false;
        const int count = 1 << z;
        return x >= 0 && x < count && y >= 0 && y < count;
    }
};

inline size_t qHash(const TileKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.z, key.x, key.y);
}
