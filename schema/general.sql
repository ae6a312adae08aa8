-- General database of a Tarvena server (deployed as `generaltarvena`).
-- Same layout on the local server and on the hub server.
-- Load with: mariadb DBNAME < general.sql

SET NAMES utf8mb4;

-- Companies of the installation. On the local server the row of the local
-- company carries the enciphered ESPEJO connection data; on the hub server
-- every branch's ESPEJO company and the MATRIZ of each group have a row.
-- A MATRIZ is the first row of its Clasificacion with empty Licencia and
-- Equipo, so those two default to '' (never NULL).
CREATE TABLE IF NOT EXISTS empresas (
  Id               INT NOT NULL AUTO_INCREMENT,
  BaseDeDatos      VARCHAR(64)  NOT NULL DEFAULT '',
  NombreComercial  VARCHAR(150) NOT NULL DEFAULT '',
  Clasificacion    VARCHAR(30)  NOT NULL DEFAULT '',
  Licencia         VARCHAR(50)  NOT NULL DEFAULT '',
  Equipo           VARCHAR(60)  NOT NULL DEFAULT '',
  -- ESPEJO connection data, enciphered (base64 text), variants 1..4 and 2
  Servidor2        VARCHAR(512) NOT NULL DEFAULT '',
  Puerto2          INT          NOT NULL DEFAULT 3306,
  Usuario2         VARCHAR(512) NOT NULL DEFAULT '',
  Conexion2        VARCHAR(512) NOT NULL DEFAULT '',
  BaseDeDatos3     VARCHAR(512) NOT NULL DEFAULT '',
  AlE              VARCHAR(64)  NOT NULL DEFAULT '',
  -- time of the last finished send; the hub reads '!!!' in
  -- HoraUltimoEnvio when a version conflict stopped the branch
  FechaUltimoEnvio DATE         NULL DEFAULT NULL,
  HoraUltimoEnvio  VARCHAR(10)  NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  UNIQUE KEY uk_empresas_base (BaseDeDatos),
  KEY idx_empresas_clasif (Clasificacion)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Key-value settings of the server: VersionActual, CNCVERSIONMINIMA, ...
CREATE TABLE IF NOT EXISTS paneldecontrol (
  Dato         VARCHAR(60)  NOT NULL,
  Contenido    VARCHAR(255) NOT NULL DEFAULT '',
  Tipo         CHAR(1)      NOT NULL DEFAULT 'C',
  Descripcion  VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- User groups. Grupo is plain text (deletions and notices use it as is).
CREATE TABLE IF NOT EXISTS grupos (
  Grupo        VARCHAR(50)  NOT NULL,
  Descripcion  VARCHAR(150) NOT NULL DEFAULT '',
  PRIMARY KEY (Grupo)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Users. Usuario, Nombre, Grupo, Codigo and Modulos1..3 are enciphered
-- with the row's own key AlE; the deciphered Modulos1+2+3 is the rights
-- string, one 'S'/'N' per module number.
CREATE TABLE IF NOT EXISTS usuarios (
  Id        INT NOT NULL AUTO_INCREMENT,
  Usuario   VARCHAR(512)  NOT NULL DEFAULT '',
  Nombre    VARCHAR(512)  NOT NULL DEFAULT '',
  Grupo     VARCHAR(512)  NOT NULL DEFAULT '',
  Codigo    VARCHAR(512)  NOT NULL DEFAULT '',
  AlE       VARCHAR(64)   NOT NULL DEFAULT '',
  Modulos1  VARCHAR(1024) NOT NULL DEFAULT '',
  Modulos2  VARCHAR(1024) NOT NULL DEFAULT '',
  Modulos3  VARCHAR(1024) NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  UNIQUE KEY uk_usuarios_usuario (Usuario)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
