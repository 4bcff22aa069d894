#!/bin/sh
# Layers point one way, lowest first:
#   desktop <- imageio <- style <- map <- metadata <- viewer <- window, dialogs <- app
# Each folder of src/ may include itself and the folders below it. Prints
# every include that points up (or sideways) and fails when there is one.
cd "$(dirname "$0")/../src" || exit 2
allowed() {
    case $1 in
    desktop) echo "desktop" ;;
    imageio) echo "desktop imageio" ;;
    style) echo "desktop imageio style" ;;
    map) echo "desktop imageio style map" ;;
    metadata) echo "desktop imageio style map metadata" ;;
    viewer) echo "desktop imageio style map metadata viewer" ;;
    window) echo "desktop imageio style map metadata viewer window" ;;
    dialogs) echo "desktop imageio style map metadata viewer dialogs" ;;
    app) echo "desktop imageio style map metadata viewer window dialogs app" ;;
    esac
}
status=0
for layer in desktop imageio style map metadata viewer window dialogs app; do
    [ -d "$layer" ] || { echo "missing layer folder src/$layer"; status=1; continue; }
    ok=$(allowed "$layer" | sed 's/ /|/g')
    up=$(grep -rnE '#include "[a-z]+/' "$layer" | grep -vE "#include \"($ok)/")
    [ -z "$up" ] || { echo "includes that point up the layers from $layer:"; echo "$up"; status=1; }
done
# Every folder of src/ is one of the layers.
for dir in */; do
    [ -n "$(allowed "${dir%/}")" ] || { echo "src/$dir is not a layer"; status=1; }
done
exit $status
