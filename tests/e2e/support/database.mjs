// The test's database seen from the test: queries through the sqlite3 client, and a
// registration number laid out as the screens show it.
import { spawnSync } from 'node:child_process';

// Rows of a query as arrays of texts.
export function sqlRows(db, query) {
  const out = spawnSync('sqlite3', ['-separator', '|', db, query], { encoding: 'utf8' });
  if (out.status !== 0) throw new Error(`sqlite3: ${out.stderr}`);
  return out.stdout.trim().split('\n').filter(Boolean).map((line) => line.split('|'));
}

// A legal person's number (J) as 00.000.000/0000-00, a natural person's as 000.000.000-00.
export function formattedRegistration(number, kind) {
  return kind === 'J'
    ? number.replace(/^(\d{2})(\d{3})(\d{3})(\d{4})(\d{2})$/, '$1.$2.$3/$4-$5')
    : number.replace(/^(\d{3})(\d{3})(\d{3})(\d{2})$/, '$1.$2.$3-$4');
}

// A customer by its code: its number, name and the number as the screens show it.
export function customerOf(db, code) {
  const [[number, name, kind]] = sqlRows(db, `SELECT NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE FROM CLIENTE WHERE CDCLIENTE = '${code}'`);
  return { code, number, name, formatted: formattedRegistration(number, kind) };
}
