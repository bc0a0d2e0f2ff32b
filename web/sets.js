// The sets the page has been given, kept in IndexedDB under their path in the
// page's folder of sets, so the chooser finds them again after a reload.
const DB = 'gdlkit';
const STORE = 'sets';

export class SetStore {
  constructor() {
    this.db = new Promise((resolve) => {
      let request;
      try {
        request = indexedDB.open(DB, 1);
      } catch (e) {
        resolve(null);
        return;
      }
      request.onupgradeneeded = () => request.result.createObjectStore(STORE);
      request.onsuccess = () => resolve(request.result);
      // Private windows may refuse storage: the page then keeps sets for this visit only.
      request.onerror = () => resolve(null);
    });
  }

  async run(mode, fn) {
    const db = await this.db;
    if (!db) return null;
    return new Promise((resolve) => {
      const tx = db.transaction(STORE, mode);
      const request = fn(tx.objectStore(STORE));
      tx.oncomplete = () => resolve(request.result);
      tx.onerror = () => resolve(null);
      tx.onabort = () => resolve(null);
    });
  }

  put(path, bytes) {
    return this.run('readwrite', (store) => store.put(bytes, path));
  }

  // [path, bytes] of every kept set.
  async all() {
    const keys = (await this.run('readonly', (store) => store.getAllKeys())) || [];
    const values = (await this.run('readonly', (store) => store.getAll())) || [];
    return keys.map((key, i) => [key, values[i]]);
  }
}
