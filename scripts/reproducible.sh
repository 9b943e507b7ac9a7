# Sourced by the scripts that make release artefacts, so that the same source
# gives the same bytes: every time inside them is the newest changelog entry's
# (Debian's rule for SOURCE_DATE_EPOCH, unless the caller set one), and no
# mode follows the caller's umask. Needs dpkg-parsechangelog (dpkg-dev).
umask 022
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$(dirname "${BASH_SOURCE[0]}")/../packaging/changelog" -STimestamp)}
