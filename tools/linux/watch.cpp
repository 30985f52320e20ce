#include "watch.h"

#include <map>

#include "common/printable_text.h"
#include "node_identity.h"
#include "runner/session.h"

namespace tessaly::cli {

int WatchDrive(std::unique_ptr<Machine> machine, int index, platform::linux_os::SystemCalls& calls,
               const WatchHooks& hooks) {
    const std::string node = machine->NodeOf(index);
    const std::string shown = PrintableUtf8(node);
    runner::SelectDrive(machine->view, machine->dialog, index);
    if (!hooks.print(DriveBlock(*machine, index)))
        return 1;
    // A drive without a node of its own (none is known) is only polled.
    NodeIdentity watched{true, {}};
    if (!node.empty())
        watched = ReadNodeIdentity(calls, hooks.sysfsRoot, node);
    bool gone = false;
    runner::Event tick;
    tick.name = "tick";
    std::map<int, std::string> last = machine->view.Fields();
    while (!(machine && machine->view.Closed()) && hooks.wait()) {
        const NodeIdentity now =
            node.empty() ? watched : ReadNodeIdentity(calls, hooks.sysfsRoot, node);
        const NodeChange change = CompareNode(watched, gone, now);
        std::string out;
        if (change == NodeChange::kGone) {
            gone = true;
            machine.reset();  // its descriptors closed
            out = shown + ": the drive is gone; waiting for a drive\n";
        } else if (change == NodeChange::kBack || change == NodeChange::kNewDrive) {
            gone = false;
            watched = now;
            machine.reset();  // the old drive's descriptors closed before the new one opens
            machine = hooks.open(node);
            index = machine->ItemOf(node);
            if (index < 0) {
                machine.reset();  // nothing to poll until the next change at the node
                out = shown + ": a drive is back, but it is no Varnoth drive\n";
            } else {
                runner::SelectDrive(machine->view, machine->dialog, index);
                if (change == NodeChange::kBack) {
                    out = shown + ": the drive is back\n" +
                          ChangedFields(machine->view.Fields(), last);
                } else {
                    out = shown + ": a new drive\n" + DriveBlock(*machine, index);
                }
                last = machine->view.Fields();
            }
        } else if (!gone && machine) {
            runner::Play(tick, machine->view, machine->dialog, machine->printer);
            out = ChangedFields(machine->view.Fields(), last);
            last = machine->view.Fields();
        }
        if (!hooks.print(out))
            return 1;
    }
    return 0;
}

}  // namespace tessaly::cli
