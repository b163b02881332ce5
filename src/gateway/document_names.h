#pragma once
// Element and attribute names of the gateway documents, in one place for the
// editors and the generators that read them.
#include "common/project_files.h"

namespace gw {

// pargen.xml: the communication parameters.
namespace pargen {
inline constexpr const char* kRoot = "Par_Gen";
inline constexpr const char* kCanBaud = "Can_Baud";
inline constexpr const char* kCanType = "Can_Type";
inline constexpr const char* kCanSendData = "Can_Send_Data";
inline constexpr const char* kCanSendTime = "Can_Send_Time";
inline constexpr const char* kCanTO = "Can_TO";
inline constexpr const char* kProfiID = "Profi_ID";
inline constexpr const char* kProfiBaud = "Profi_Baud";
inline constexpr const char* kProfiFrames = "Profi_Frames";
// The eight elements in the order they are written.
inline constexpr const char* kElements[] = {kCanBaud, kCanType, kCanSendData, kCanSendTime,
                                            kCanTO,   kProfiID, kProfiBaud,   kProfiFrames};
} // namespace pargen

// sdo.xml and pdo.xml: the receive and send frame lists.
enum class FrameListKind { Receive, Send };

inline constexpr int MaxFrameRows = 30;

namespace frames {
inline constexpr const char* kReceiveRoot = "Profibus_to_Receive_CAN";
inline constexpr const char* kReceiveList = "Receive_Frames";
inline constexpr const char* kSendRoot = "Profibus_to_Send_CAN";
inline constexpr const char* kSendList = "Send_Frames";
inline constexpr const char* kRow = "row";
inline constexpr const char* kCobId = "Cob_Id";
inline constexpr const char* kDimension = "Dimension";
inline constexpr const char* kSwap = "Swap";
inline constexpr const char* kDelete = "Delete";
inline constexpr const char* kMnemonic = "Mnemonic";

inline constexpr const char* RootName(FrameListKind k) {
    return k == FrameListKind::Receive ? kReceiveRoot : kSendRoot;
}
inline constexpr const char* ListName(FrameListKind k) {
    return k == FrameListKind::Receive ? kReceiveList : kSendList;
}
inline constexpr const char* FileName(FrameListKind k) {
    return k == FrameListKind::Receive ? files::kSdo : files::kPdo;
}
} // namespace frames

} // namespace gw
