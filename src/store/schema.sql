-- The tables of spider.mdb. Text comparisons ignore letter case; the looked-up fields and the
-- date order are indexed so look-ups stay flat as the tables grow.
CREATE TABLE faxes (
    fax TEXT COLLATE NOCASE,
    Date TEXT,
    website TEXT COLLATE NOCASE,
    search TEXT COLLATE NOCASE,
    location TEXT COLLATE NOCASE
);
CREATE INDEX faxes_fax ON faxes (fax);
CREATE INDEX faxes_date ON faxes (Date);

CREATE TABLE websites (
    website TEXT COLLATE NOCASE,
    Date TEXT
);
CREATE INDEX websites_website ON websites (website);
CREATE INDEX websites_date ON websites (Date);

CREATE TABLE searches (
    search TEXT COLLATE NOCASE
);
CREATE INDEX searches_search ON searches (search);
