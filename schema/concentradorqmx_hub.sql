-- Schema `concentradorqmx` of the hub server: the queues of work for each
-- company, addressed by the company's ESPEJO database name in BaseDeDatos.
-- Load with: mariadb DBNAME < concentradorqmx_hub.sql
-- (the program names it `concentradorqmx`; tests may use any name).

SET NAMES utf8mb4;

-- Hub settings, key-value; VERSIONMINIMA is the lowest client version
-- allowed to connect.
CREATE TABLE IF NOT EXISTS configuracion (
  Dato         VARCHAR(60)  NOT NULL,
  Contenido    VARCHAR(255) NOT NULL DEFAULT '',
  Tipo         CHAR(1)      NOT NULL DEFAULT 'C',
  Descripcion  VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Groups to deliver; a row goes once delivered.
CREATE TABLE IF NOT EXISTS listagrupos (
  Id           INT NOT NULL AUTO_INCREMENT,
  Grupo        VARCHAR(50) NOT NULL DEFAULT '',
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  KEY idx_listagrupos (BaseDeDatos, Grupo)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Users per company; pending while FechaLeidos < FechaCambios. Both are
-- dates because the reader marks the row with the date alone: a time in
-- FechaCambios would keep the row pending for the rest of the day.
CREATE TABLE IF NOT EXISTS listausuarios (
  Id           INT NOT NULL AUTO_INCREMENT,
  IdUsuario    INT         NOT NULL DEFAULT 0,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  FechaCambios DATE        NOT NULL DEFAULT (CURRENT_DATE),
  FechaLeidos  DATE        NOT NULL DEFAULT '2000-01-01',
  Quitar       TINYINT     NOT NULL DEFAULT 0,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_listausuarios (BaseDeDatos, IdUsuario)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Price-list entries: set Precio<lista> of product Producto.
CREATE TABLE IF NOT EXISTS listaprecios (
  Id        INT NOT NULL AUTO_INCREMENT,
  Producto  VARCHAR(15)   NOT NULL DEFAULT '',
  lista     INT           NOT NULL DEFAULT 1,
  Precio    DECIMAL(18,4) NOT NULL DEFAULT 0,
  PRIMARY KEY (Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Price-list entries pending for a company (IdLDP = listaprecios.Id).
CREATE TABLE IF NOT EXISTS pendientesldp (
  Id           INT NOT NULL AUTO_INCREMENT,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  IdLDP        INT         NOT NULL DEFAULT 0,
  PRIMARY KEY (Id),
  KEY idx_pendientesldp (BaseDeDatos, IdLDP)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Deletions for a company: Tabla 'productos', 'usuarios' or 'grupos';
-- Llave the product Clave, the plain user name or the group.
CREATE TABLE IF NOT EXISTS aborrar (
  Id           INT NOT NULL AUTO_INCREMENT,
  BaseDeDatos  VARCHAR(64)  NOT NULL DEFAULT '',
  Tabla        VARCHAR(30)  NOT NULL DEFAULT '',
  Llave        VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  KEY idx_aborrar (BaseDeDatos, Tabla, Llave)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Changes delivered as files: Tipo is the two-letter code (PR, PC, CP,
-- CC, KT, OF, CN, CA, AP, VC, VP, PX, TR, FA, RE, PV), clave the object,
-- Folio the document number, Contenido the file's text. Cancelar<>0 rows
-- are left alone.
CREATE TABLE IF NOT EXISTS archivosasubir (
  Id           INT NOT NULL AUTO_INCREMENT,
  Tipo         VARCHAR(5)  NOT NULL DEFAULT '',
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  Cancelar     TINYINT     NOT NULL DEFAULT 0,
  clave        VARCHAR(30) NOT NULL DEFAULT '',
  Folio        INT         NOT NULL DEFAULT 0,
  Contenido    MEDIUMTEXT  NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  KEY idx_archivosasubir_base (BaseDeDatos, Cancelar, Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Failed file rows: a copy of the archivosasubir row (its Id included)
-- plus the error text. AutoInc is the key because Id is the queue's.
CREATE TABLE IF NOT EXISTS erroresdelectura (
  AutoInc      INT NOT NULL AUTO_INCREMENT,
  Id           INT         NOT NULL DEFAULT 0,
  Tipo         VARCHAR(5)  NOT NULL DEFAULT '',
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  Cancelar     TINYINT     NOT NULL DEFAULT 0,
  clave        VARCHAR(30) NOT NULL DEFAULT '',
  Folio        INT         NOT NULL DEFAULT 0,
  Contenido    MEDIUMTEXT  NOT NULL DEFAULT '',
  elError      TEXT        NOT NULL DEFAULT '',
  Fecha        DATETIME    NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (AutoInc),
  KEY idx_erroresdelectura_base (BaseDeDatos)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Branch list changes for a company; pending while FechaLeidos <
-- FechaCambios (dates, as in listausuarios). Quitar=1 removes the branch.
CREATE TABLE IF NOT EXISTS listasucursales (
  Id           INT NOT NULL AUTO_INCREMENT,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  Sucursal     VARCHAR(15) NOT NULL DEFAULT '',
  Quitar       TINYINT     NOT NULL DEFAULT 0,
  FechaCambios DATE        NOT NULL DEFAULT (CURRENT_DATE),
  FechaLeidos  DATE        NOT NULL DEFAULT '2000-01-01',
  PRIMARY KEY (Id),
  KEY idx_listasucursales (BaseDeDatos, Sucursal)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Alerts that need no file: TipoAlerta 1 send all products to the
-- ESPEJO, 2 read the MATRIZ currencies; other values stay untouched.
CREATE TABLE IF NOT EXISTS alertassinarchivo (
  Id           INT NOT NULL AUTO_INCREMENT,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  TipoAlerta   TINYINT     NOT NULL DEFAULT 0,
  PRIMARY KEY (Id),
  KEY idx_alertassinarchivo (BaseDeDatos, TipoAlerta)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
