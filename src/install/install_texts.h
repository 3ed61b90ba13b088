// The install run's texts, in Windows-1252.
#pragma once

namespace cdinst::texts {

inline constexpr char kReadyToCopy[] = "Pronto para copiar em: ";
inline constexpr char kCopyDone[] =
    "C\xF3pia Conclu\xED"
    "da";
inline constexpr char kCopyError[] = "Erro de C\xF3pia";
inline constexpr char kDirectoryError[] = "Erro na cria\xE7\xE3o do Diret\xF3rio";
inline constexpr char kNoDestination[] = "Destino da instala\xE7\xE3o n\xE3o definido";
inline constexpr char kDestinationTooLong[] = "Caminho de destino longo demais";
inline constexpr char kInstallRunning[] = "Outra instala\xE7\xE3o em andamento em: ";

}  // namespace cdinst::texts
