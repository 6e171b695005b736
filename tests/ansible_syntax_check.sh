#!/bin/sh
# ansible-playbook --syntax-check of every playbook in deploy/ansible, with
# the example inventory. Skipped (exit 77) only when ansible-playbook is not
# installed: Debian's ansible package (tools/setup.sh installs it) carries
# the Windows collections the playbooks use.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v ansible-playbook >/dev/null 2>&1; then
    echo "SKIPPED: ansible-playbook is not installed (apt-get install ansible); the playbooks were not checked"
    exit 77
fi
export ANSIBLE_LOCAL_TEMP="${TMPDIR:-/tmp}/pendrix-ansible-$$" ANSIBLE_HOME="${TMPDIR:-/tmp}/pendrix-ansible-home-$$"
trap 'rm -rf "$ANSIBLE_LOCAL_TEMP" "$ANSIBLE_HOME"' EXIT
for playbook in "$root"/deploy/ansible/*.yml; do
    case "$playbook" in *inventory*) continue ;; esac
    ansible-playbook --syntax-check -i "$root/deploy/ansible/inventory.example.yml" "$playbook"
done
