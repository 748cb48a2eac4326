#include "ridirodev/store/referencing_documents.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/host/host_services.h"
#include "testing/test_host.h"

namespace ridirodev::sql {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Reports(const std::string& id) {
  return "open SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id "
         "AND Field_Id =" + id;
}
std::string Templates(const std::string& id) {
  return "open SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE Field_Id=" + id;
}

class ReferencingDocumentsTest : public ::testing::Test {
 protected:
  ReferencingDocumentsTest() {
    host_->Support().SetAppTitle("PM");
    testing::TestFolderServices& folders = host_->FolderServices();
    for (int32_t id : {1, 2, 4}) folders.AddDocument(id, "Report");
    folders.AddDocument(10, "Template");
    folders.AddDocument(12, "Template", true, 4);
    for (int32_t id : {13, 14}) folders.AddDocument(id, "Template", true);
    // 41 is in reports 1 and 2 and template 10; 42 in 12, the express template of report 4, and
    // in 13; 43 in 14 and in 99, which the host does not know. 13 and 14 have no report.
    testing::ScriptedDatabase& db = host_->Database();
    db.AddRows(FieldReportsStatement("41"), {{"Id"}, {{1}, {2}}});
    db.AddRows(FieldTemplatesStatement("41"), {{"TemplateId"}, {{10}}});
    db.AddRows(FieldTemplatesStatement("42"), {{"TemplateId"}, {{12}, {13}}});
    db.AddRows(FieldTemplatesStatement("43"), {{"TemplateId"}, {{14}, {99}}});
    host_->Journal().Clear();
  }
  // "style caption: text" of each box shown.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& box : host_->Messages().MessageBoxes())
      out.push_back(std::to_string(box.style) + " " + box.caption + ": " + box.text);
    return out;
  }

  testing::TestHostPtr host_ = std::make_shared<testing::TestHost>();
  HostServices services_{host_};
  const std::vector<int32_t> fields_{41, 42, 43};
  testing::TestFolderDocuments documents_;
};

TEST_F(ReferencingDocumentsTest, ReportsThenTemplatesAndOneWarningForExpressTemplatesWithoutReport) {
  LoadFieldReferencingDocuments(services_, &fields_, documents_);
  EXPECT_THAT(host_->Journal().Lines(), ElementsAre(Reports("41"), Reports("42"), Reports("43"),
                                                    Templates("41"), Templates("42"), Templates("43")));
  // The collection is given every document, duplicates too: they are its business.
  EXPECT_THAT(documents_.names, ElementsAre("Report 1", "Report 2", "Template 10", "Report 4"));
  EXPECT_THAT(Boxes(),
              ElementsAre("16 PM: Some User defined calculations are being used in an express template "
                          "for which no report exists.You will be able to delete all the selected UDCs "
                          "after ZeviRadode is restarted."));
  for (const auto& rs : host_->Database().Recordsets()) EXPECT_TRUE(rs->Closed());
}

TEST_F(ReferencingDocumentsTest, AStopEndsEachWalkAfterTheFirstFieldsRowSet) {
  host_->FolderServices().stopRequested = true;
  LoadFieldReferencingDocuments(services_, &fields_, documents_);
  EXPECT_THAT(host_->Journal().Lines(), ElementsAre(Reports("41"), Templates("41")));
  EXPECT_THAT(documents_.names, IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(ReferencingDocumentsTest, AFailureShowsTheErrorAndKeepsWhatWasAdded) {
  host_->Database().FailOnText("Field_Id=42", AutomationError(3146, "DBObject", "ORA-03113: end-of-file"));
  LoadFieldReferencingDocuments(services_, &fields_, documents_);
  LoadFieldReferencingDocuments(services_, nullptr, documents_);
  EXPECT_THAT(documents_.names, ElementsAre("Report 1", "Report 2", "Template 10"));
  EXPECT_THAT(Boxes(),
              ElementsAre("16 PM: Error finding UDC references.ORA-03113: end-of-file",
                          "16 PM: Error finding UDC references.Object variable or With block variable "
                          "not set"));
}

}  // namespace
}  // namespace ridirodev::sql
