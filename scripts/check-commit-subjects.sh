#!/usr/bin/env bash
# Fails when a commit made after the style was set has a subject line of 72
# characters or more (say the rest in the body). Earlier history is left as
# it was written.
set -euo pipefail
cd "$(dirname "$0")/.."
since=23f9491  # the last commit before the rule
if ! git cat-file -e "$since^{commit}" 2>/dev/null; then
    echo "check-commit-subjects.sh: $since is not in this clone's history, nothing checked"
    exit 0
fi
long=$(git log --no-merges --format='%h %s' "$since..HEAD" |
    awk '{ subject = substr($0, index($0, " ") + 1); if (length(subject) >= 72) print }')
if [ -n "$long" ]; then
    echo "check-commit-subjects.sh: subjects of 72 characters or more:"
    echo "$long"
    exit 1
fi
echo "check-commit-subjects.sh: every subject since $since is under 72 characters"
