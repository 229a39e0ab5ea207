// Library binding by name: the own factory, module loading, the file-system library chosen by the
// command line, the network library, and their fatal failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/net/net_link.h"
#include "engine/interface/filesystem_binding.h"
#include "engine/interface/interface_registry.h"
#include "plat/tier0.h"
#include "platform/common/common.h"
#include "tests/support/headless_fixture.h"

namespace {

class InterfaceRegistry : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    plat::tier0::setSpewOutputFunc(nullptr);
  }
  void TearDown() override {
    plat::common::setProgramArgs(0, nullptr);
    net_unload_client();
    HeadlessTest::TearDown();
  }

  static void setArgs(std::vector<std::string> args) {
    static std::vector<std::string> keep;
    static std::vector<char*> argv;
    keep = std::move(args);
    keep.insert(keep.begin(), "main");
    argv.clear();
    for (std::string& a : keep) argv.push_back(a.data());
    plat::common::setProgramArgs(static_cast<int>(argv.size()), argv.data());
  }

  // Runs f, which must end through the fatal Error; the box text it showed.
  template <typename F>
  std::string fatalText(F f) {
    hp().boxes().clear();
    try {
      f();
      ADD_FAILURE() << "no fatal error";
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, -1);
    }
    if (hp().boxes().empty()) return "";
    EXPECT_EQ(hp().boxes().back().caption, "Error");
    return hp().boxes().back().text;
  }
};

int g_made = 0;
void* makeThing() {
  ++g_made;
  return &g_made;
}

void* nullFactory(const char*, int* rc) {
  if (rc) *rc = 1;
  return nullptr;
}

TEST_F(InterfaceRegistry, Table) {
  struct Row {
    std::vector<std::string> args;
    const char* library;
  } rows[] = {
      {{}, "filesystem.dll"},
      {{"-steam"}, "filesystem_steam.dll"},
      {{"-steamlocal"}, "filesystem_steam.dll"},
      {{"-steamlocal", "-steam"}, "filesystem_steam.dll"},
      {{"-steamish"}, "filesystem.dll"},  // whole arguments only
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.library);
    filesystem_binding_reset();
    setArgs(r.args);
    EXPECT_EQ(filesystem_load(), 1);
    EXPECT_EQ(filesystem_get_module(), plat::get().modules().load(r.library));
    EXPECT_NE(filesystem_interface(), nullptr);
  }
}

TEST_F(InterfaceRegistry, ModuleLoadAndFactories) {
  const plat::ModuleHandle net = plat::get().modules().load("client_net.dll");
  ASSERT_NE(net, 0u);
  EXPECT_EQ(module_load("client_net"), net);
  EXPECT_EQ(module_load("CLIENT_NET.DLL"), net);
  EXPECT_EQ(module_load("no_such_library"), 0u);
  EXPECT_EQ(module_load(nullptr), 0u);
  EXPECT_EQ(module_get_factory(0), nullptr);
  EXPECT_NE(module_get_factory(net), nullptr);
}

TEST_F(InterfaceRegistry, OwnFactory) {
  EXPECT_EQ(get_own_factory(), &create_interface);
  int rc = 0;
  EXPECT_EQ(create_interface("anything", &rc), nullptr);
  EXPECT_EQ(rc, 1);

  INTERFACE_REG second{makeThing, "Second_001", nullptr};
  INTERFACE_REG first{makeThing, "First_001", &second};
  interface_list_head = &first;
  g_made = 0;
  rc = 7;
  EXPECT_EQ(create_interface("Second_001", &rc), &g_made);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(create_interface("Second_001", nullptr), &g_made);  // no return code wanted
  EXPECT_EQ(g_made, 2);
  EXPECT_EQ(create_interface("second_001", &rc), nullptr);  // names compare exactly
  EXPECT_EQ(rc, 1);
}

TEST_F(InterfaceRegistry, FileSystemFailuresAreFatal) {
  plat::IModuleRegistry& m = plat::get().modules();
  setArgs({});
  m.add({"filesystem.dll", nullFactory, {}});
  EXPECT_EQ(fatalText([] { filesystem_load(); }), "Unable to get IFileSystem interface from filesystem factory");
  m.add({"filesystem.dll", nullptr, {}});
  EXPECT_EQ(fatalText([] { filesystem_load(); }), "Unable to get filesystem factory");
  m.remove("filesystem.dll");
  EXPECT_EQ(fatalText([] { filesystem_load(); }), "Unable to load filesystem.dll");
  setArgs({"-steam"});
  m.remove("filesystem_steam.dll");
  EXPECT_EQ(fatalText([] { filesystem_load(); }), "Unable to load filesystem_steam.dll");
}

TEST_F(InterfaceRegistry, NetworkLibraryBindsBothLinks) {
  ASSERT_EQ(net_load_client(), 0);
  EXPECT_NE(net_link.world, nullptr);
  EXPECT_NE(net_link.chat, nullptr);
  EXPECT_NE(net_link.world, net_link.chat);
  EXPECT_TRUE(hp().boxes().empty());
  EXPECT_EQ(net_unload_client(), 0);
}

TEST_F(InterfaceRegistry, NetworkFailuresAreFatal) {
  plat::IModuleRegistry& m = plat::get().modules();
  m.add({"client_net.dll", nullFactory, {}});
  EXPECT_EQ(fatalText([] { net_load_client(); }), "could not get client_net.dll's interface INetClient_003");
  m.add({"client_net.dll", nullptr, {}});
  EXPECT_EQ(fatalText([] { net_load_client(); }), "could not get client_net.dll's interface");
  m.remove("client_net.dll");
  EXPECT_EQ(fatalText([] { net_load_client(); }), "could not load client_net.dll");
}

}  // namespace
