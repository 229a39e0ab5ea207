// Profile "echo": every frame goes back on its link with the same id, argument and payload.
#include "tools/testserver/responders.h"

namespace testserver {
namespace {

void echo(const Incoming& in, Replies& out) { out.send(in.link, in.id, in.arg, in.payload); }

const ResponderRegistration kEcho("echo", kAnyId, echo);

}  // namespace
}  // namespace testserver
