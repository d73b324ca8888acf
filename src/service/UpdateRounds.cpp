#include "service/UpdateRounds.h"

#include "service/Xmodem.h"

#include <QDir>

namespace zuvo {

namespace {

// The bootloader's bytes are reported as signed 8-bit numbers.
QString signedByte(std::uint8_t byte) {
    return QString::number(static_cast<std::int8_t>(byte));
}

// A byte that did not arrive in this round reads as 0 rather than as a stale one.
std::uint8_t byteAt(ReceivedBytes received, std::size_t index) {
    return index < received.size() ? received[index] : 0;
}

bool lastIs(ReceivedBytes received, std::uint8_t byte) {
    return !received.empty() && received.back() == byte;
}

} // namespace

bool isBootloaderWaitOver(ReceivedBytes received) {
    return received.size() >= 5 || lastIs(received, kXmodemCrcMode) || lastIs(received, kXmodemNak);
}

bool isBootloaderReady(ReceivedBytes received) {
    if (received.empty()) {
        return false;
    }
    return lastIs(received, kXmodemCrcMode) || lastIs(received, kXmodemNak) ||
           received.front() == kXmodemCrcMode ||
           (received.size() > 5 && received[5] == kXmodemCrcMode) || received.size() == 5;
}

QString enterFlashModeLabel(unsigned round) {
    return QStringLiteral("Enter Flash-Mode..") + QString::number(round + 1);
}

QString bootloaderGiveUpMessage(ReceivedBytes received) {
    if (received.empty()) {
        return QStringLiteral(" no response from µC (5) 0");
    }
    return QStringLiteral(" Wrong response from µC ") + QString::number(received.size()) +
           QStringLiteral(":") + signedByte(received.back());
}

BlockAnswer blockAnswer(ReceivedBytes received) {
    if (received.empty()) {
        return BlockAnswer::Silent;
    }
    if (received.back() == kXmodemAck) {
        return BlockAnswer::Accepted;
    }
    if (received.back() == kXmodemCrcMode) {
        return BlockAnswer::Restarted;
    }
    return BlockAnswer::Rejected;
}

QString pageLabel(std::uint64_t page, std::uint64_t pages, unsigned round) {
    QString label = QStringLiteral("Page: ") + QString::number(page) + QStringLiteral("/") +
                    QString::number(pages);
    if (round > 0) {
        label += QStringLiteral(" : ") + QString::number(round + 1);
    }
    return label;
}

QString rejectedLabel(ReceivedBytes received) {
    return QStringLiteral("CRC ") + signedByte(byteAt(received, received.size() - 1));
}

QString rejectedGiveUpMessage(ReceivedBytes received, std::uint16_t blockCrc) {
    return QStringLiteral(" CRC-µC: ") + signedByte(byteAt(received, received.size() - 1)) +
           QStringLiteral(" ") + signedByte(byteAt(received, 1)) + QStringLiteral("   PC :") +
           QString::number(blockCrc & 0xFF) + QStringLiteral(" ") + QString::number(blockCrc >> 8);
}

QString silentGiveUpMessage(ReceivedBytes received) {
    return QStringLiteral(" No response from µC! (1) ") + QString::number(received.size());
}

bool isLastRound(unsigned round, const UpdateLimits& limits) {
    return round + 1 >= limits.rounds;
}

SilentRound silentRound(std::uint64_t page, unsigned round, unsigned silentInRow,
                        const UpdateLimits& limits) {
    SilentRound result;
    result.showNoResponse = page <= 2 || silentInRow >= limits.silentRounds;
    result.giveUp = isLastRound(round, limits);
    return result;
}

bool restartsExhausted(unsigned restarts, const UpdateLimits& limits) {
    return restarts >= limits.restarts;
}

QString restartGiveUpMessage(unsigned restarts) {
    return QStringLiteral(" µC restarts the transfer again and again (") +
           QString::number(restarts) + QStringLiteral(") ");
}

BlockRound blockRound(ReceivedBytes received, std::uint64_t page, unsigned round,
                      unsigned silentInRow, std::uint16_t blockCrc, bool cancelled,
                      const UpdateLimits& limits) {
    constexpr int kResendPauseMs = 50;
    constexpr int kAcceptedPauseMs = 200;
    const bool last = cancelled || isLastRound(round, limits);
    BlockRound result;
    switch (blockAnswer(received)) {
    case BlockAnswer::Accepted:
        result.next = BlockNext::NextPage;
        result.pauseMs = kAcceptedPauseMs;
        break;
    case BlockAnswer::Restarted:
        result.next = BlockNext::FirstPage;
        result.pauseMs = kResendPauseMs + kAcceptedPauseMs;
        break;
    case BlockAnswer::Rejected:
        result.faultLabel = rejectedLabel(received);
        if (last) {
            result.next = BlockNext::GiveUp;
            result.giveUpMessage = rejectedGiveUpMessage(received, blockCrc);
        } else {
            result.pauseMs = kResendPauseMs;
        }
        break;
    case BlockAnswer::Silent: {
        result.silentInRow = silentInRow + 1;
        const SilentRound silent = silentRound(page, round, result.silentInRow, limits);
        if (silent.showNoResponse) {
            result.faultLabel = QStringLiteral("No Response");
        }
        // A cancel ends the rounds of a later page quietly; the first two pages, and every page
        // at its last round, give up.
        if (cancelled && page > 2) {
            result.next = BlockNext::EndRounds;
        } else if (last) {
            result.next = BlockNext::GiveUp;
            result.giveUpMessage = silentGiveUpMessage(received);
        }
        break;
    }
    }
    return result;
}

QString updateConfirmationText(const UpdateImageFacts& facts) {
    const QString warning = QStringLiteral(
        "ACHTUNG:  Bitte alle Ausgänge abklemmen/ausstecken, um unkontrolliertes Fahren zu "
        "vermeiden! \n"
        "Sind sie sicher das sie eine Update durchführen möchten? \n"
        "\n"
        " Caution:  please disconnect all outputs to make shure, that no unwanted move is "
        "possible! \n"
        " Do you really want to execute the flash update?");
    // The user confirms this file on this port, not an update in general.
    return warning + QStringLiteral("\n\nFile: %1\nSize: %2 bytes, %3 pages of %4 bytes\nPort: %5")
                         .arg(QDir::toNativeSeparators(facts.path))
                         .arg(facts.size)
                         .arg(xmodemPageCount(facts.size))
                         .arg(kXmodemPageSize)
                         .arg(facts.port);
}

} // namespace zuvo
