#pragma once

#include <memory>

#include "outlook/object_model.h"
#include "sim/outlook/model.h"
#include "sim/outlook/ports.h"

namespace voxtrel::testing_outlook {

// The simulated Outlook started with its explorer on an Inbox, for tests that hand its
// application to a Connect of their own.
struct StartedOutlook {
  explicit StartedOutlook(olsim::IModelFiles& files)
      : model(std::make_shared<olsim::Model>(files)) {
    model->AddFolder("Inbox", olsim::FolderKind::kMail);
    model->Start(true);
  }
  std::shared_ptr<outlook::IApplication> Application() {
    return olsim::MakeApplication(model, census, gate);
  }

  std::shared_ptr<olsim::Model> model;
  olsim::Census census;  // what the add-in holds
  olsim::CallGate gate;
};

}  // namespace voxtrel::testing_outlook
