#!/bin/sh
# Every include points down: a folder of the program includes only its own
# headers and those of the floors below it. Prints each include that points
# up, or sideways to a folder not below, and fails when there is one.
#
# Floors, lowest first: common/; registry/ and platform/ (the seams);
# pending_list/ (the list); scheduler/ (the commands) and shell/ (Explorer's
# menu); window/ (the window helpers); about/; and the programs, app/ and cli/.
cd "$(dirname "$0")/.." || exit 2

allowed() {
    case "$1" in
        common) echo "common" ;;
        registry) echo "common registry" ;;
        platform) echo "common platform" ;;
        pending_list) echo "common registry platform pending_list" ;;
        scheduler) echo "common registry platform pending_list scheduler" ;;
        shell) echo "common registry platform shell" ;;
        window) echo "common window" ;;
        about) echo "common window about resources" ;;
        app) echo "common registry platform pending_list scheduler shell window about resources app" ;;
        cli) echo "common registry platform pending_list scheduler shell cli" ;;
    esac
}

status=0
for folder in common registry platform pending_list scheduler shell window about app cli; do
    for file in "$folder"/*.h "$folder"/*.cpp "$folder"/*.inc; do
        [ -f "$file" ] || continue
        for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*/\1/p' "$file"); do
            case " $(allowed "$folder") " in
                *" $included "*) ;;
                *) echo "$file includes $included/, which is not below $folder/"; status=1 ;;
            esac
        done
    done
done
[ "$status" -eq 0 ] && echo "every include points down"
exit "$status"
