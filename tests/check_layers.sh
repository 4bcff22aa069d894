#!/bin/sh
# Layers point one way: platform <- imageinfo, style <- viewer <- windows <- app.
# Prints every include that points up and fails when there is one.
cd "$(dirname "$0")/../src" || exit 2
up=$( { grep -rnE '#include "(app|viewer|imageinfo|style|windows)/' platform;
        grep -rnE '#include "(app|viewer|windows)/' imageinfo style;
        grep -rnE '#include "(app|windows)/' viewer;
        grep -rnE '#include "app/' windows; } 2>/dev/null)
[ -z "$up" ] || { echo "includes that point up the layers:"; echo "$up"; exit 1; }
