// A TCP relay on 127.0.0.1 that puts a fixed delay on each direction, as a wide-area link would, and counts
// the requests the client sends (MariaDB packets that begin a command).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ProxyLatencia {
  public:
    // Relays to 127.0.0.1:destino; listens on a free port of its own.
    ProxyLatencia(int destino, std::chrono::milliseconds retraso);
    ~ProxyLatencia();
    ProxyLatencia(const ProxyLatencia&) = delete;
    ProxyLatencia& operator=(const ProxyLatencia&) = delete;

    int Puerto() const { return puerto_; }
    void Retraso(std::chrono::milliseconds r) { retrasoMs_ = static_cast<int>(r.count()); }
    uint64_t Peticiones() const { return peticiones_; }
    void ReiniciaCuenta() { peticiones_ = 0; }

  private:
    void Acepta();
    void Atiende(int cliente);
    // Copies one direction, each chunk delivered `retraso` after it arrived.
    void Copia(int desde, int hacia, bool delCliente);

    int destino_;
    int escucha_ = -1;
    int puerto_ = 0;
    std::atomic<int> retrasoMs_;
    std::atomic<uint64_t> peticiones_{0};
    std::atomic<bool> fin_{false};
    std::thread aceptador_;
    std::mutex hilosMutex_;
    std::vector<std::thread> hilos_;
};
