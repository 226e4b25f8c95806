// The notifier between a view and its form: order, values and nesting.
#include "browser/web_notify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
  std::string who;
  UINT code;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Call&) const = default;
};

struct FormStandIn {
  std::string name;
  std::vector<Call>* log;
  CWebNotify* notifier = nullptr;  // for a nested notification
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam) {
    log->push_back({name, code, wParam, lParam});
    if (notifier && code == WEBNOTIFY_BEFORE_NAVIGATE) notifier->Fire(WEBNOTIFY_NAVIGATION_BLOCKED, 0, lParam);
  }
};

TEST(WebNotify, CallsEveryHandlerInTheOrderAddedWithTheValuesUnchanged) {
  std::vector<Call> log;
  FormStandIn first{"first", &log}, second{"second", &log};
  CWebNotify notify;
  notify.AddHandler(&first, &FormStandIn::OnWebNotify);
  notify.AddHandler(&second, &FormStandIn::OnWebNotify);

  // Pointers travel in both arguments: they must arrive whole on 64-bit builds too.
  int object = 0;
  const WPARAM address = reinterpret_cast<WPARAM>(&object);
  const LPARAM negative = -2;
  const LPARAM pointer = static_cast<LPARAM>(~WPARAM(0) >> 1);
  notify.Fire(WEBNOTIFY_GET_EXTERNAL, address, pointer);
  notify.Fire(WEBNOTIFY_TITLE_CHANGE, 0, negative);
  EXPECT_EQ(log, (std::vector<Call>{{"first", 2, address, pointer},
                                    {"second", 2, address, pointer},
                                    {"first", 9, 0, negative},
                                    {"second", 9, 0, negative}}));
}

TEST(WebNotify, AHandlerMayRaiseANestedNotification) {
  std::vector<Call> log;
  CWebNotify notify;
  FormStandIn first{"first", &log, &notify}, second{"second", &log};
  notify.AddHandler(&first, &FormStandIn::OnWebNotify);
  notify.AddHandler(&second, &FormStandIn::OnWebNotify);
  notify.Fire(WEBNOTIFY_BEFORE_NAVIGATE, 0, 42);
  EXPECT_EQ(log, (std::vector<Call>{{"first", 7, 0, 42},
                                    {"first", 10, 0, 42},
                                    {"second", 10, 0, 42},
                                    {"second", 7, 0, 42}}));
}

}  // namespace
