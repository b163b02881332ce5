#include "project_fixture.h"

namespace gwtest {

namespace {

std::string Attribute(const char* name, const std::optional<std::string>& value) {
    return value ? std::string(" ") + name + "=\"" + *value + "\"" : std::string();
}

std::string Document(const char* root, const char* list, const std::vector<Row>& rows,
                     bool receive) {
    std::string s = std::string("<") + root + "><" + list + ">";
    for (const Row& r : rows) {
        s += "<row" + Attribute("Cob_Id", r.CobId) + Attribute("Dimension", r.Dimension) +
             Attribute("Swap", r.Swap) + (receive ? Attribute("Delete", r.Delete) : "") +
             Attribute("Mnemonic", r.Mnemonic) + "/>";
    }
    return s + "</" + list + "></" + root + ">";
}

} // namespace

std::string ReceiveDocument(const std::vector<Row>& rows) {
    return Document("Profibus_to_Receive_CAN", "Receive_Frames", rows, true);
}

std::string SendDocument(const std::vector<Row>& rows) {
    return Document("Profibus_to_Send_CAN", "Send_Frames", rows, false);
}

std::string PargenDocument(const std::string& frames, const std::string& sendTime,
                           const std::string& profiId) {
    return "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</Can_Send_Data>"
           "<Can_Send_Time>" +
           sendTime + "</Can_Send_Time><Can_TO>10</Can_TO><Profi_ID>" + profiId +
           "</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Frames>" + frames +
           "</Profi_Frames></Par_Gen>";
}

std::vector<Row> Rows(int n, int dimension) {
    std::vector<Row> rows(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        rows[static_cast<std::size_t>(i)].CobId = std::to_string(0x100 + i);
        rows[static_cast<std::size_t>(i)].Dimension = std::to_string(dimension);
    }
    return rows;
}

} // namespace gwtest
