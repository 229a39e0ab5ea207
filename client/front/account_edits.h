// The account screen's two fields: the account name and the password, each naming the other as
// its partner, so that Enter and Tab move the focus between them and a click takes it.
#pragma once
#include <cstdint>

#include "client/edit/game_edit.h"

class CAccountEdit : public CEditBox {
 public:
  CAccountEdit() : CEditBox(nullptr, 0) {}
  CControl* on_click(int32_t x, int32_t y) override;  // account_edit_on_click
  int32_t on_enter() override;                        // account_edit_on_enter: to the partner
  int32_t on_tab() override;                          // account_edit_on_tab: as Enter

  CEditBox* partner = nullptr;
};

class CLoginPasswordEdit : public CPasswordEdit {
 public:
  CLoginPasswordEdit() = default;
  CControl* on_click(int32_t x, int32_t y) override;  // login_password_edit_on_click
  int32_t on_enter() override;                        // account_input_submit
  int32_t on_tab() override;                          // login_password_edit_on_tab: to the partner

  CEditBox* partner = nullptr;
};
