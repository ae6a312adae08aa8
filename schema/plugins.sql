-- Update catalogue of the download site: one row per program.
-- This client is Numero 11; Version is compared as a version text
-- ("5.19.1"); Archivo lists the files to fetch, separated by ";".
-- Load with: mariadb DBNAME < plugins.sql

SET NAMES utf8mb4;

CREATE TABLE IF NOT EXISTS plugins_lista (
  Numero   INT          NOT NULL,
  Nombre   VARCHAR(100) NOT NULL DEFAULT '',
  Version  VARCHAR(20)  NOT NULL DEFAULT '',
  Archivo  TEXT         NOT NULL DEFAULT '',
  Fecha    DATE         NULL DEFAULT NULL,
  PRIMARY KEY (Numero)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
