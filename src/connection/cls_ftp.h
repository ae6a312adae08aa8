// A small FTP client for the download site: one connection, passive or active, ASCII or binary transfers,
// and the text of the last error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/fecha.h"

typedef void CURL;

namespace cnc {

// One directory entry.
struct cDirItem {
    bool ReadOnly = false, Hidden = false, System = false, Directory = false, Archive = false, Normal = false,
         Temporary = false, Compressed = false, Offline = false;
    kvtx8::FechaHora CreationTime, LastAccessTime, LastWriteTime;  // local times
    int64_t Size = 0;
    std::string Name;
};

// Directory entries in listing order, keyed by name.
class cDirList {
  public:
    cDirItem& Add(uint32_t atributos, const kvtx8::FechaHora& creacion, const kvtx8::FechaHora& acceso,
                  const kvtx8::FechaHora& escritura, int64_t tamano, const std::string& nombre);
    void Clear() { items_.clear(); }
    // By name; nullptr when absent.
    const cDirItem* Item(const std::string& nombre) const;
    // By position, 1 to count.
    const cDirItem* Item(size_t posicion) const;
    size_t count() const { return items_.size(); }
    std::vector<cDirItem>::const_iterator begin() const { return items_.begin(); }
    std::vector<cDirItem>::const_iterator end() const { return items_.end(); }

  private:
    std::vector<cDirItem> items_;
};

class clsFTP {
  public:
    static constexpr int kBloque = 255;  // bytes per read or write
    static constexpr int kAscii = 1, kBinario = 2;
    static constexpr uint32_t kPasivo = 0x8000000;
    static constexpr long kSegundosPorArchivo = 600;
    static constexpr long kBytesPorSegundo = 100, kSegundosLento = 30;

    clsFTP();
    ~clsFTP();
    clsFTP(const clsFTP&) = delete;
    clsFTP& operator=(const clsFTP&) = delete;

    cDirList& Directory() { return lista_; }
    const std::string& GetLastErrorMessage() const { return ultimoError_; }
    // host may be "host:port".
    bool OpenConnection(const std::string& host, const std::string& usuario, const std::string& password);
    void CloseConnection();
    bool SimpleFTPPutFile(const std::string& local, const std::string& remoto);
    bool RenameFTPFile(const std::string& anterior, const std::string& nuevo);
    bool CreateFTPDirectory(const std::string& nombre);
    bool RemoveFTPDirectory(const std::string& nombre);
    bool DeleteFTPFile(const std::string& nombre);
    // In 255-byte blocks; stops (false) when blSigue becomes false.
    bool FTPUploadFile(const std::string& local, const std::string& remoto);
    // In 255-byte blocks, the progress event and a yield after each.
    bool FTPDownloadFile(const std::string& local, const std::string& remoto);
    bool SimpleFTPGetFile(const std::string& local, const std::string& remoto);
    std::string GetFTPDirectory();
    bool SetFTPDirectory(const std::string& nombre);
    // -1 when the file does not exist, -2 on any other failure.
    int64_t GetFTPFileSize(const std::string& remoto);
    // Pattern "*.zip" or "dir/*.zip"; the names match as the shell's.
    cDirList& GetDirectoryListing(const std::string& patron);
    void SetTransferASCII() { tipo_ = kAscii; }
    void SetTransferBinary() { tipo_ = kBinario; }
    void SetModeActive() { banderas_ = 0; }
    void SetModePassive() { banderas_ = kPasivo; }
    bool blSigue() const { return sigue_; }
    void blSigue(bool v) { sigue_ = v; }

    // Every transfer ends after this many seconds, or after `segundos` below `bytesPorSegundo`: a site
    // that trickles must not keep a download, and the window, waiting for ever.
    void SetLimiteDeTiempo(long segundos) { segundosPorArchivo_ = segundos; }
    void SetVelocidadMinima(long bytesPorSegundo, long segundos) {
        bytesPorSegundo_ = bytesPorSegundo, segundosLento_ = segundos;
    }

    int TipoDeTransferencia() const { return tipo_; }
    uint32_t Banderas() const { return banderas_; }

    // Progress of a transfer: bytes so far and the total size.
    std::function<void(int64_t, int64_t)> Progreso;

  private:
    struct Transferencia;
    friend struct Transferencia;
    void Prepara();
    std::string Url(const std::string& remoto, bool carpeta = false) const;
    // URL of a path already resolved against the current directory.
    std::string UrlDe(const std::string& ruta, bool carpeta) const;
    static size_t AlEncabezado(char* d, size_t t, size_t n, void* u);
    std::string RutaAbsoluta(const std::string& remoto) const;
    // Runs the prepared request; false records the error of the operation.
    bool Ejecuta(const std::string& operacion);
    bool Comandos(const std::string& operacion, const std::vector<std::string>& comandos);
    void AnotaError(const std::string& operacion, int codigo);
    bool Descarga(const std::string& local, const std::string& remoto, int64_t tamano, const std::string& op,
                  const std::string& op2);

    CURL* curl_ = nullptr;
    bool conectado_ = false;
    std::string host_, usuario_, password_;
    std::string inicio_;  // directory after login
    std::string actual_;  // current directory; empty = the login directory
    int tipo_ = kAscii;
    uint32_t banderas_ = 0;
    bool sigue_ = true;
    long segundosPorArchivo_ = kSegundosPorArchivo;
    long bytesPorSegundo_ = kBytesPorSegundo, segundosLento_ = kSegundosLento;
    std::string ultimoError_;
    std::string respuesta_, ultimaRespuesta_;
    char errorCurl_[256] = {};
    cDirList lista_;
};

}  // namespace cnc
